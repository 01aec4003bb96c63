#ifndef LYSDK_LYEXPORT_H
#define LYSDK_LYEXPORT_H

// lysdk is built with hidden visibility: only declarations marked LYSDK_API
// form its binary interface.
#define LYSDK_API __attribute__((visibility("default")))

// Every public name lives in this namespace.
#define LYSDK_NAMESPACE VELSDK2025
#define LYSDK_BEGIN_NAMESPACE namespace VELSDK2025 {
#define LYSDK_END_NAMESPACE }

#endif  // LYSDK_LYEXPORT_H
