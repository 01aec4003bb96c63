#ifndef LYSDK_TESTS_CORE_HOST_FIXTURE_H
#define LYSDK_TESTS_CORE_HOST_FIXTURE_H

// What the core tests share: the SDK, the host-scene fixture that ends the
// objects a test made, and the trace recorder.

#include <gtest/gtest.h>

#include <lysdk/lysdk.h>
#include <velora/file_reference.h>
#include <velora/object.h>
#include <velora/trace.h>

#include "common/host_scene.h"
#include "common/trace_capture.h"

#endif  // LYSDK_TESTS_CORE_HOST_FIXTURE_H
