#ifndef LYSDK_TESTS_HOST_HOST_OBJECTS_H
#define LYSDK_TESTS_HOST_HOST_OBJECTS_H

// Host objects for property tests: ended at the end of the test unless the
// test ended them itself.

#include <velora/property.h>

#include "common/host_scene.h"

namespace host_test {

using HostObjects = lysdk_test::HostScene;

}  // namespace host_test

#endif  // LYSDK_TESTS_HOST_HOST_OBJECTS_H
