// LyUndoManager and the undo bridge that carries an extension's LyUndo into
// the host's undo stack.

#include "lysdk/lyundo.h"

#include <velora/model.h>
#include <velora/property.h>
#include <velora/undo.h>

#include "core/host_access.h"
#include "lysdk/lymodel.h"
#include "property/property_access.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyUndoManager, velora::kClassObject)

LyUndo::~LyUndo() = default;
void LyUndo::Undo() {}
void LyUndo::Redo() {}
const char* LyUndo::GetName() { return "Custom VELSDK Action"; }

namespace {

// The host's undo entry for one LyUndo: it owns the LyUndo (deleted by
// Destroy) and the handles of the plugs the entry depends on.
class LyUndoBridge final : public velora::UndoEntry {
public:
    explicit LyUndoBridge(LyUndo* undo) : mUndo(undo) {}
    IObject* IQuery(std::uint32_t id, int) override {
        return id == lyiface::kIdSelf || id == velora::kIdUndoEntry ? this : nullptr;
    }
    void Destroy(int) override {
        delete mUndo;
        mUndo = nullptr;
    }
    bool DependencyLost() override {
        for (const velora::PlugHandle& handle : mDependencies)
            if (!handle.Valid()) return true;
        return false;
    }
    void Reserved() override {}
    void Undo() override {
        if (mUndo) mUndo->Undo();
    }
    void Redo() override {
        if (mUndo) mUndo->Redo();
    }
    const char* Name() override { return mUndo ? mUndo->GetName() : ""; }

    void Depend(velora::Plug* plug) { mDependencies.emplace_back(plug); }

private:
    LyUndo* mUndo;
    std::vector<velora::PlugHandle> mDependencies;
};

velora::UndoStack& Stack() { return velora::UndoStack::Instance(); }

}  // namespace

LyUndoManager& LyUndoManager::TheOne() {
    static LyUndoManager manager;
    return manager;
}

LyUndoManager::LyUndoManager() : LyComponent(nullptr) {}

bool LyUndoManager::TransactionBegin(const char* name) { return Stack().Begin(name); }
bool LyUndoManager::TransactionEnd() { return Stack().End(true); }
bool LyUndoManager::TransactionIsOpen() { return Stack().IsOpen(); }

bool LyUndoManager::TransactionAdd(LyUndo* undo, LyArrayTemplate<LyPlug*>* dependencies) {
    if (!undo || !Stack().IsOpen() || Stack().InUndoRedo()) return false;
    auto* bridge = new LyUndoBridge(undo);
    if (dependencies) {
        for (int i = 0; i < dependencies->GetCount(); ++i) {
            // A plug without a full host object gives a handle that is
            // invalid from the start.
            LyPlug* plug = dependencies->GetAt(i);
            IObject* host = plug ? plug->GetHIObject() : nullptr;
            bridge->Depend(velora::AsObject(host));
        }
    }
    if (Stack().Add(bridge)) return true;
    // Refused: the extension keeps its entry.
    bridge->Destroy(0);
    delete bridge;
    return false;
}

bool LyUndoManager::TransactionAddModelTRS(LyModel* model) {
    if (!model || !Stack().IsOpen()) return false;
    velora::Model* host = velora::AsModel(__LyHostObject(model));
    if (!host) return false;
    const bool t = Stack().AddEvaluationProperty(host->TranslationProperty());
    const bool r = Stack().AddEvaluationProperty(host->RotationProperty());
    const bool s = Stack().AddEvaluationProperty(host->ScalingProperty());
    return t && r && s;
}

bool LyUndoManager::TransactionAddObjectDestroy(LyComponent* object) {
    if (!object || !Stack().IsOpen()) return false;
    velora::Object* host = __LyHostObject(object);
    if (!host) return false;
    Stack().Begin("SDK Destroy Object");
    const bool added = Stack().AddObjectsDestroyed({host});
    Stack().End(true);
    return added;
}

bool LyUndoManager::TransactionAddProperty(LyProperty* property) {
    if (!property || !Stack().IsOpen()) return false;
    velora::Property* host = __LyHostProperty(property);
    if (!host) return false;
    // An evaluated property keeps its animation with its value.
    return host->IsAnimatable() ? Stack().AddEvaluationProperty(host) : Stack().AddProperty(host);
}

bool LyUndoManager::Undo(bool flag) { return Stack().Undo(flag); }
bool LyUndoManager::Redo() { return Stack().Redo(); }
bool LyUndoManager::Clear() { return Stack().Clear(true); }
bool LyUndoManager::ActiveOperation() { return Stack().InUndoRedo(); }

LYSDK_END_NAMESPACE
