#ifndef LYSDK_LYCAMERA_H
#define LYSDK_LYCAMERA_H

// Cameras and lights: models with settings of their own.
//
// A camera looks along its local X axis with Y up. As a model it frames
// the pixels that LyModel::RayCast shoots through; its own settings
// (framing, film back, planes) come with the rest of the camera family.

#include "lysdk/lymodel.h"

LYSDK_BEGIN_NAMESPACE

class LYSDK_API LyCamera : public LyModel {
    LYSDK_CLASS_DECLARE(LyCamera, LyModel)
public:
    /// A new camera added to the scene, or the wrapper of `object`.
    explicit LyCamera(const char* name, HIObject object = nullptr);
};

class LYSDK_API LyLight : public LyModel {
    LYSDK_CLASS_DECLARE(LyLight, LyModel)
public:
    /// A new light added to the scene, or the wrapper of `object`.
    explicit LyLight(const char* name, HIObject object = nullptr);
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYCAMERA_H
