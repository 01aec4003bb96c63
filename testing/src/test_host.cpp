// The reference host started inside a plug-in's test program. It drives the
// same session as the velora program (velora/session.h): loading, the
// library lifecycle, creation from registry entries, scene files and the
// orderly end.

#include "lytesting/lytesting.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <velora/device.h>
#include <velora/evaluation.h>
#include <velora/message_box.h>
#include <velora/object.h>
#include <velora/plugin_loader.h>
#include <velora/session.h>
#include <velora/timing.h>

LYSDK_BEGIN_NAMESPACE

namespace {

LyTestHost* gCurrent = nullptr;

std::vector<std::string>& Lines() {
    static std::vector<std::string> lines;
    return lines;
}

void Record(unsigned int, const char* text) {
    if (gCurrent && text) Lines().emplace_back(text);
}

}  // namespace

LyTestHost::LyTestHost() {
    if (gCurrent) {
        // One host at a time: the host's registries are process-wide.
        mDown = true;
        Fail("another LyTestHost is alive; end it first");
        ADD_FAILURE() << mError;
        return;
    }
    gCurrent = this;
    Lines().clear();
    LyRegisterTraceStubFct(&Record);
    velora::PluginLoader::Instance().SetSdkVersion(LyGetVersion());
}

LyTestHost::~LyTestHost() { Shutdown(); }

bool LyTestHost::Fail(const std::string& error) {
    mError = error;
    return false;
}

bool LyTestHost::LoadPlugin(const char* path) {
    if (mDown) return Fail("the host has been shut down");
    std::string error;
    if (!velora::PluginLoader::Instance().Load(path, &error))
        return Fail(std::string("plug-in ") + (path ? path : "(null)") + " was not loaded: " + error);
    return true;
}

void LyTestHost::Open() {
    if (mOpen || mDown) return;
    mOpen = true;
    velora::FireLibraryOpen();
}

LyComponent* LyTestHost::Create(const char* group, const char* entry, const char* name) {
    const velora::EntrySpec spec{group ? group : "", entry ? entry : "",
                                 name ? name : (entry ? entry : "")};
    const std::string what = "cannot create " + spec.group + "/" + spec.entry + ": ";
    if (mDown) {
        Fail(what + "the host has been shut down");
        return nullptr;
    }
    Open();
    std::string error;
    std::string library;
    IObject* object = velora::CreateFromRegistry(spec, &error, &library);
    LyComponent* component = object ? LyGetLyComponent(object, true) : nullptr;
    if (object && !component) {
        if (velora::Object* host = velora::AsObject(object)) host->Destroy(0);
        error = "the creator in " + library + " returned an object without a wrapper";
    }
    if (!component) {
        Fail(what + error);
        return nullptr;
    }
    mCreated.emplace_back(component);
    return component;
}

bool LyTestHost::Evaluate(const LyTime& time) {
    if (mDown) return Fail("the host has been shut down");
    Open();
    velora::TimingManager::Instance().SetLocalTime(time.Get());
    LyScene* scene = LySystem::TheOne().Scene;
    if (!scene) return Fail("the host has no scene");
    return scene->Evaluate() || Fail("the scene did not evaluate");
}

bool LyTestHost::Play(const LyTime& start, const LyTime& length, bool record, const LyTime& framePeriod) {
    if (mDown) return Fail("the host has been shut down");
    if (framePeriod.Get() <= 0 || length.Get() < 0) return Fail("the frame period and the length must be positive");
    Open();
    LyScene* scene = LySystem::TheOne().Scene;
    if (!scene) return Fail("the host has no scene");
    velora::DeviceManager& devices = velora::EvaluationManager::Instance().Devices();
    velora::TimingManager& timing = velora::TimingManager::Instance();
    timing.SetLocalTime(start.Get());
    devices.TransportNotify(record ? velora::kTransportPrepareRecord : velora::kTransportPreparePlay, start.Get());
    devices.TransportNotify(record ? velora::kTransportRecord : velora::kTransportPlay, start.Get());
    const long long end = start.Get() + length.Get();
    const auto frame = std::chrono::nanoseconds(framePeriod.Get() * 1000000000LL / 141120000);
    auto next = std::chrono::steady_clock::now();
    for (;;) {
        const long long now = devices.TransportTime(timing.SystemTime());
        timing.SetLocalTime(std::min(now, end));
        scene->Evaluate();
        if (now >= end) break;
        next += frame;
        std::this_thread::sleep_until(next);
    }
    devices.TransportNotify(velora::kTransportStop, end);
    timing.SetLocalTime(end);
    return scene->Evaluate() || Fail("the scene did not evaluate");
}

bool LyTestHost::OpenScene(const char* path) {
    if (mDown) return Fail("the host has been shut down");
    Open();
    std::string error;
    return velora::OpenSceneFile(path ? path : "", &error) || Fail(error);
}

bool LyTestHost::SaveScene(const char* path, bool binary) {
    if (mDown) return Fail("the host has been shut down");
    std::string error;
    return velora::SaveSceneFile(path ? path : "", binary, &error) || Fail(error);
}

void LyTestHost::AnswerMessageBox(int button, int check, const char* value) {
    velora::MessageBoxAnswer answer =
        value ? velora::MessageBoxAnswer::WithValue(button, value) : velora::MessageBoxAnswer::Button(button);
    answer.check = check;
    velora::MessageBoxes::Instance().Script(answer);
}

const std::vector<std::string>& LyTestHost::TraceLines() const { return Lines(); }

bool LyTestHost::TraceContains(const char* text) const {
    if (!text) return false;
    for (const std::string& line : Lines())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

void LyTestHost::Shutdown() {
    if (mDown) return;
    mDown = true;
    for (HdlLyPlug& handle : mCreated)
        if (LyPlug* plug = handle.GetPlug())
            if (velora::Object* host = velora::AsObject(plug->GetHIObject())) host->Destroy(0);
    mCreated.clear();
    if (!mOpen) velora::FireLibraryOpen();  // every library hears a whole lifecycle
    velora::EndSession();
    if (LyScene* scene = LySystem::TheOne().Scene) scene->Clear();
    velora::MessageBoxes::Instance().Reset();
    LyUnRegisterTraceStubFct(&Record);
    gCurrent = nullptr;
}

LYSDK_END_NAMESPACE
