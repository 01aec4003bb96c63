// A tiny plug-in built against the installed SDK. The loader calls its one
// exported function and checks what it did to the host.

#include <lysdk/lysdk.h>

using namespace VELSDK2025;

namespace {

class Probe : public LyComponent {
    LYSDK_CLASS_DECLARE(Probe, LyComponent)
public:
    Probe() { SetName("FromPlugin"); }
};

LYSDK_CLASS_IMPLEMENT(Probe, 0)

}  // namespace

// Builds a component of the plug-in's own class. It creates its host
// object, which the host then owns: ending that object ends the component.
extern "C" __attribute__((visibility("default"))) IObject* consumer_plugin_make(int* typeId) {
    Probe* probe = new Probe();
    if (typeId) *typeId = probe->Is(LyComponent::TypeInfo) ? probe->GetTypeId() : -1;
    LyArrayTemplate<int> values;
    for (int i = 0; i < 25; ++i) values.Add(i);
    if (values.GetCount() != 25 || LyString("Probe") != probe->ClassName()) return nullptr;
    return probe->GetHIObject();
}
