// The damped spring sample: a relation operator registered under
// "Boxes/Functions/Dynamics", which relations offer to riggers.

#include <cstdio>

#include "spring_box.h"

using namespace VELSDK2025;

LYSDK_CLASS_IMPLEMENT(velora_sample::DampedSpringBox, 0)

namespace {

IObject* CreateSpring(IObject*, const char* name, void*) {
    auto* box = new velora_sample::DampedSpringBox(name ? name : "Damped Spring");
    if (!box->LyCreate()) {
        box->LyDelete();
        return nullptr;
    }
    return box->GetHIObject();
}

class SpringLibrary : public LyLibraryBase {};

bool RegisterSpring() {
    // Also under "DsxStorable/": a relation saved with a spring in it opens
    // with that spring again.
    const char* description = "Follows its target like a mass on a damped spring";
    return LyObject_Register("Boxes/Functions/Dynamics", "Damped Spring", description, &CreateSpring, true,
                             nullptr) &&
           LyObject_Register("DsxStorable/Boxes", "Damped Spring", description, &CreateSpring, true, nullptr);
}

}  // namespace

LYSDK_PLUGIN(SpringLibrary, RegisterSpring)
