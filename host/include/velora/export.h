#ifndef VELORA_EXPORT_H
#define VELORA_EXPORT_H

// The reference host is built with hidden visibility; only what carries
// VELORA_API is reachable from the SDK, the program and the tests.
#define VELORA_API __attribute__((visibility("default")))

#endif  // VELORA_EXPORT_H
