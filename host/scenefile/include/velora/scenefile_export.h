#ifndef VELORA_SCENEFILE_EXPORT_H
#define VELORA_SCENEFILE_EXPORT_H

// The scene-file library is its own shared object, built with hidden
// visibility; only what carries VELORA_DSX_API is reachable from the host,
// the SDK and the tests. It depends on nothing else of the host.
#define VELORA_DSX_API __attribute__((visibility("default")))

#endif  // VELORA_SCENEFILE_EXPORT_H
