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
    return LyObject_Register("Boxes/Functions/Dynamics", "Damped Spring",
                             "Follows its target like a mass on a damped spring", &CreateSpring, true, nullptr);
}

}  // namespace

LYSDK_PLUGIN(SpringLibrary, RegisterSpring)
