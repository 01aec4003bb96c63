// velora: the headless reference host.
//
// It starts the host core, loads the SDK library (which registers its own
// host classes as it loads), loads the plug-ins found on the plug-in search
// path, runs the library lifecycle around the work the command line asks
// for, and frees everything in reverse order.
//
// Plug-in search path, in this order (each directory's "*.so" files load in
// name order; a library found twice loads once):
//   1. every --plugin-path DIR, in the order given;
//   2. the directories of VELORA_PLUGIN_PATH, a colon-separated list;
//   3. the installed plug-in directory next to the program
//      (<prefix>/lib/velora/plugins), unless --no-default-plugins.
// A library that fails to load is reported with its path and the reason, and
// the others load regardless.
//
// The actions (--scene, --create, --frames, --take, --fps, --play, --record,
// --plot, --curves-png, --save) run in the order they are given, after the
// plug-ins have heard "LIBRARY_OPEN" and "LIBRARY_READY". When a play, a
// recording or a plot ran, a summary closes the run: the takes, the keys
// written, the frames evaluated and how many times faster than real time
// they were evaluated.

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <velora/application.h>
#include <velora/class_registry.h>
#include <velora/constraint.h>
#include <velora/device.h>
#include <velora/entity.h>
#include <velora/model.h>
#include <velora/object.h>
#include <velora/object_registry.h>
#include <velora/parallel.h>
#include <velora/plugin_loader.h>
#include <velora/process.h>
#include <velora/relation.h>
#include <velora/scene.h>
#include <velora/session.h>
#include <velora/take.h>
#include <velora/trace.h>

#include "curves_png.h"
#include "workflow.h"

namespace {

// The program's own directory: the application directory, which velora
// leaves at its default.
std::string ExecutableDir() { return velora::Application::Instance().ApplicationPath(); }

// One action of the command line, run in command-line order.
struct Action {
    enum Kind { kScene, kCreate, kSave, kFrames, kTake, kFps, kPlay, kRecord, kPlot, kCurvesPng } kind;
    std::string value;
};

struct Options {
    bool version = false;
    bool listClasses = false;
    bool listPlugins = false;
    bool noDefaultPlugins = false;
    bool binary = false;
    bool realTime = false;
    std::string sdkPath;
    std::vector<std::string> pluginPaths;
    std::vector<std::string> scenes;
    std::vector<std::string> creates;
    std::vector<std::string> saves;
    std::vector<int> frames;
    std::vector<std::string> takes, fps, plays, pngs;
    std::vector<double> records;
    std::vector<Action> actions;
};

// A value that must not be empty ("" would silently mean nothing).
std::string NotEmpty(const std::string& value) {
    return value.empty() ? std::string("needs a value, got an empty one") : std::string();
}

// START:END in seconds, START below END.
bool ParseRange(const std::string& text, double* start, double* end) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    char* stop = nullptr;
    const std::string a = text.substr(0, colon), b = text.substr(colon + 1);
    *start = std::strtod(a.c_str(), &stop);
    if (a.empty() || *stop) return false;
    *end = std::strtod(b.c_str(), &stop);
    return !b.empty() && !*stop && *start >= 0 && *end > *start;
}

std::string RangeCheck(const std::string& value) {
    double start, end;
    return ParseRange(value, &start, &end) ? std::string()
                                           : "expected START:END in seconds, START below END, got '" + value + "'";
}

std::string EntrySpecCheck(const std::string& value) {
    velora::EntrySpec spec;
    std::string error;
    return velora::ParseEntrySpec(value, &spec, &error) ? std::string() : error;
}

// Parses the command line; returns -1 to go on, else the exit status.
int Parse(int argc, char** argv, Options& options) {
    CLI::App app("velora: the headless reference host of lysdk", "velora");
    app.footer(
        "Actions (--scene, --create, --frames, --take, --fps, --play, --record, --plot, --curves-png,\n"
        "--save) run in the order given, after the plug-ins\n"
        "have loaded and heard the library lifecycle's open and ready events.\n"
        "Environment: VELORA_PLUGIN_PATH, a colon-separated list of plug-in directories.\n");
    app.add_flag("--version", options.version, "print the host and SDK versions and stop");
    app.add_flag("--list-classes", options.listClasses, "print the host class registry");
    app.add_flag("--list-plugins", options.listPlugins,
                 "print every registry group and entry with its library");
    app.add_option("--plugin-path", options.pluginPaths, "look for plug-ins in DIR (repeatable)")
        ->type_name("DIR")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(NotEmpty);
    app.add_flag("--no-default-plugins", options.noDefaultPlugins,
                 "do not look in the installed plug-in directory");
    CLI::Option* scene = app.add_option("--scene", options.scenes, "open a .dsx scene (repeatable)")
                             ->type_name("FILE")
                             ->expected(1)
                             ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                             ->check(NotEmpty);
    CLI::Option* create =
        app.add_option("--create", options.creates,
                       "create an instance of a registered entry (repeatable)")
            ->type_name("GROUP/ENTRY[=NAME]")
            ->expected(1)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->check(EntrySpecCheck);
    CLI::Option* save = app.add_option("--save", options.saves,
                                       "save the scene to FILE (text; --binary for CBOR)")
                            ->type_name("FILE")
                            ->expected(1)
                            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                            ->check(NotEmpty);
    CLI::Option* frames = app.add_option("--frames", options.frames,
                                         "play N frames of the scene, 30 per second from 0 (repeatable)")
                              ->type_name("N")
                              ->expected(1)
                              ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                              ->check(CLI::Range(0, 1000000));
    CLI::Option* take = app.add_option("--take", options.takes, "make take NAME current, creating it (repeatable)")
                            ->type_name("NAME")
                            ->expected(1)
                            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                            ->check(NotEmpty);
    CLI::Option* fps = app.add_option("--fps", options.fps, "set the time mode: 24, 25, 29.97, 29.97df, 30, 60, ...")
                           ->type_name("MODE")
                           ->expected(1)
                           ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                           ->check(NotEmpty);
    CLI::Option* play = app.add_option("--play", options.plays, "play the current take from START to END seconds")
                            ->type_name("START:END")
                            ->expected(1)
                            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                            ->check(RangeCheck);
    CLI::Option* record =
        app.add_option("--record", options.records,
                       "bring the scene's devices online and record SECONDS into a new take")
            ->type_name("SECONDS")
            ->expected(1)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            ->check(CLI::Range(0.001, 3600.0));
    int plotCount = 0;
    CLI::Option* plot =
        app.add_flag("--plot", plotCount, "plot the constrained models onto the current take (repeatable)");
    CLI::Option* png = app.add_option("--curves-png", options.pngs, "draw the current take's curves into a PNG")
                           ->type_name("FILE")
                           ->expected(1)
                           ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                           ->check(NotEmpty);
    app.add_flag("--realtime", options.realTime, "play at the transport's clock (default: every frame, at once)");
    app.add_flag("--binary", options.binary, "save in the binary encoding")->needs(save);
    app.add_option("--sdk", options.sdkPath, "load the SDK library from PATH")
        ->type_name("PATH")
        ->check(NotEmpty);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ExtrasError&) {
        const std::vector<std::string> extra = app.remaining();
        std::fprintf(stderr, "velora: unknown argument '%s'\nRun with --help for the options.\n",
                     extra.empty() ? "" : extra.front().c_str());
        return 2;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "velora: %s\nRun with --help for the options.\n", e.what());
        return 2;
    }
    // Each occurrence of an action option appears once in the parse order.
    std::size_t next[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (CLI::Option* option : app.parse_order()) {
        if (option == scene && next[0] < options.scenes.size())
            options.actions.push_back({Action::kScene, options.scenes[next[0]++]});
        else if (option == create && next[1] < options.creates.size())
            options.actions.push_back({Action::kCreate, options.creates[next[1]++]});
        else if (option == save && next[2] < options.saves.size())
            options.actions.push_back({Action::kSave, options.saves[next[2]++]});
        else if (option == frames && next[3] < options.frames.size())
            options.actions.push_back({Action::kFrames, std::to_string(options.frames[next[3]++])});
        else if (option == take && next[4] < options.takes.size())
            options.actions.push_back({Action::kTake, options.takes[next[4]++]});
        else if (option == fps && next[5] < options.fps.size())
            options.actions.push_back({Action::kFps, options.fps[next[5]++]});
        else if (option == play && next[6] < options.plays.size())
            options.actions.push_back({Action::kPlay, options.plays[next[6]++]});
        else if (option == record && next[7] < options.records.size())
            options.actions.push_back({Action::kRecord, std::to_string(options.records[next[7]++])});
        else if (option == png && next[8] < options.pngs.size())
            options.actions.push_back({Action::kCurvesPng, options.pngs[next[8]++]});
        else if (option == plot)
            options.actions.push_back({Action::kPlot, std::string()});
    }
    return -1;
}

std::vector<std::string> SearchPath(const Options& options) {
    std::vector<std::string> dirs = options.pluginPaths;
    if (const char* env = std::getenv("VELORA_PLUGIN_PATH")) {
        std::string list(env);
        std::size_t start = 0;
        while (start <= list.size()) {
            const std::size_t colon = list.find(':', start);
            const std::string dir =
                list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
            if (!dir.empty()) dirs.push_back(dir);
            if (colon == std::string::npos) break;
            start = colon + 1;
        }
    }
    if (!options.noDefaultPlugins)
        dirs.push_back(velora::process::FullPath((ExecutableDir() + "/../" VELORA_PLUGIN_DIR).c_str()));
    return dirs;
}

// Loads every plug-in on the search path; returns how many failed.
int LoadPlugins(const Options& options) {
    int failed = 0;
    velora::LoadPluginDirectories(SearchPath(options), [&failed](const velora::PluginLoadReport& report) {
        if (report.folder) {
            std::fprintf(stderr, "velora: plug-in folder %s is not searched: %s\n",
                         report.path.c_str(), report.reason.c_str());
        } else if (report.loaded) {
            std::printf("velora: loaded plug-in %s\n", report.path.c_str());
        } else {
            std::fprintf(stderr, "velora: plug-in %s was not loaded: %s\n", report.path.c_str(),
                         report.reason.c_str());
            ++failed;
        }
    });
    return failed;
}

void ListPlugins() {
    const velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
    for (int g = 0; g < registry.GroupCount(); ++g) {
        std::printf("%s\n", *registry.GroupName(g) ? registry.GroupName(g) : "(empty group)");
        for (int e = 0; e < registry.EntryCount(g); ++e) {
            const velora::RegistryEntry* entry = registry.EntryAt(g, e);
            std::printf("  %s  \"%s\"  [%s]%s\n", entry->name.c_str(), entry->description.c_str(),
                        *entry->library ? entry->library : "host",
                        entry->creator ? "" : "  (menu only)");
        }
    }
}

// Creates the instance `spec` asks for; false when it fails.
// Plays the scene: each frame runs the whole evaluation cycle. Then tells
// what the relations did, box by box.
void EvaluateFrames(int count) {
    velora::Scene& scene = velora::Scene::Main();
    constexpr long long kFrame = 141120000 / 30;
    for (int f = 0; f < count; ++f) {
        velora::SetCurrentTime(f * kFrame);
        scene.Evaluator().EvaluateFrame(f * kFrame);
    }
    std::printf("velora: evaluated %d frames (%s, %s): %d boxes in %d groups, %d constraints\n", count,
                velora::ParallelBackend(), scene.Evaluator().LastRunParallel() ? "parallel" : "serial",
                scene.Evaluator().ScheduledBoxes(), scene.Evaluator().ScheduledGroups(),
                scene.Evaluator().ScheduledConstraints());
    // Each constraint with where its referenced models ended up.
    for (int i = 0; i < scene.SrcCount(); ++i) {
        velora::Constraint* constraint = velora::AsConstraint(velora::AsObject(scene.Src(i)));
        if (!constraint || constraint->IsA(velora::kClassConstraintRelation)) continue;
        std::printf("velora:   constraint %s (%s, %s)\n", constraint->Name(),
                    constraint->IsCustomObject() ? constraint->CustomClassName() : constraint->TypeName(),
                    constraint->IsActive() ? "active" : "inactive");
        for (int g = 0; g < constraint->ReferenceGroupCount(); ++g)
            for (int r = 0; r < constraint->ReferenceCount(g); ++r)
                if (const velora::Model* model = velora::AsModel(constraint->Reference(g, r))) {
                    const double* m = model->GlobalMatrix();
                    std::printf("velora:     %s: %s at %.4g %.4g %.4g\n", constraint->ReferenceGroupName(g),
                                model->Name(), m[12], m[13], m[14]);
                }
    }
    // Each skeleton with where its first chain ends, and each path with its
    // length and its middle.
    velora::MainEntity& entity = velora::MainEntity::Instance();
    for (int i = 0; i < entity.SceneModelCount(); ++i) {
        velora::Model* model = velora::AsModel(entity.SceneModel(i));
        if (model && model->ClassId() == velora::kClassModelRoot) {
            int bones = 0;
            const velora::Model* end = model;
            for (const velora::Model* m = model->ChildModel(0); m && m->IsA(velora::kClassModelSkeleton); m = m->ChildModel(0))
                end = m, ++bones;
            const double* m = end->GlobalMatrix();
            std::printf("velora:   skeleton %s (%d bones in its first chain): %s at %.4g %.4g %.4g\n", model->Name(),
                        bones, end->Name(), m[12], m[13], m[14]);
        } else if (model && model->IsA(velora::kClassModelPath3D)) {
            auto* path = static_cast<velora::PathModel*>(model);
            double middle[3];
            path->TotalEvaluate(50.0, middle, true);
            std::printf("velora:   path %s (%d keys, length %.4g): half way at %.4g %.4g %.4g\n", path->Name(),
                        path->KeyCount(), path->Length(), middle[0], middle[1], middle[2]);
        }
    }
    for (int i = 0; i < scene.SrcCount(); ++i) {
        if (!scene.Src(i)->IsA(velora::kClassConstraintRelation)) continue;
        auto* relation = static_cast<velora::Relation*>(scene.Src(i));
        std::vector<velora::Box*> boxes;
        relation->CollectBoxes(&boxes);
        for (velora::Box* box : boxes) {
            const char* kind = box->IsCustomObject() ? box->CustomClassName()
                                                     : velora::ClassRegistry::Instance().Name(box->ClassId());
            std::printf("velora:   %s/%s (%s): computed %llu times", relation->Name(), box->Name(), kind,
                        static_cast<unsigned long long>(box->ComputeCount()));
            if (velora::AnimationNode* out = box->OutConnector(0)) {
                std::printf(", %s =", out->Name());
                for (int m = 0; m < out->Channels(); ++m) std::printf(" %.4g", out->LiveData()[m]);
            }
            std::printf("\n");
        }
    }
}

bool CreateInstance(const std::string& text, std::vector<velora::PlugHandle>& created) {
    velora::EntrySpec spec;
    std::string error;
    std::string library;
    velora::ParseEntrySpec(text, &spec, &error);  // checked when parsed
    velora::IObject* object = velora::CreateFromRegistry(spec, &error, &library);
    velora::Object* host = velora::AsObject(object);
    if (object && !host) error = "the creator in " + library + " returned no host object";
    if (!host) {
        std::fprintf(stderr, "velora: cannot create %s: %s\n", text.c_str(), error.c_str());
        return false;
    }
    const char* className = velora::ClassRegistry::Instance().Name(host->ClassId());
    std::printf("velora: created %s (%s%s%s) from %s\n", host->FullName(), className,
                host->IsCustomObject() ? ", extension class " : "",
                host->IsCustomObject() ? host->CustomClassName() : "",
                library == "the host" ? "host" : library.c_str());
    created.emplace_back(host);
    return true;
}

// Files a scene names by relative paths (a device's recording, say) sit
// beside the scene: the scene opens from its own directory.
class SceneDirectory {
public:
    explicit SceneDirectory(const std::string& scenePath) {
        char* full = ::realpath(scenePath.c_str(), nullptr);
        if (full) path_ = full;
        std::free(full);
        char* here = ::getcwd(nullptr, 0);
        const std::size_t slash = path_.rfind('/');
        if (here && slash != std::string::npos && ::chdir(path_.substr(0, slash + 1).c_str()) == 0) back_ = here;
        std::free(here);
    }
    ~SceneDirectory() {
        if (!back_.empty() && ::chdir(back_.c_str()) != 0)
            std::fprintf(stderr, "velora: cannot return to %s\n", back_.c_str());
    }
    /// The scene's full path (empty when it does not exist).
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::string back_;
};

bool OpenScene(const std::string& path) {
    velora::SceneCounts counts;
    std::string error;
    bool opened;
    {
        const SceneDirectory directory(path);
        opened = velora::OpenSceneFile(directory.Path().empty() ? path : directory.Path(), &error, &counts);
    }
    if (!opened) {
        std::fprintf(stderr, "velora: cannot open scene %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::printf("velora: opened scene %s: %d objects, %d properties, %d skipped\n", path.c_str(),
                counts.objects, counts.properties, counts.skipped);
    return true;
}

bool SaveScene(const std::string& path, bool binary) {
    velora::SceneCounts counts;
    std::string error;
    if (!velora::SaveSceneFile(path, binary, &error, &counts)) {
        std::fprintf(stderr, "velora: cannot save scene %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::printf("velora: saved scene %s: %d objects, %d properties\n", path.c_str(), counts.objects,
                counts.properties);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Whole lines at a time: the messages of standard output and of the
    // trace stay in order with those of standard error.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    if (const int status = Parse(argc, argv, options); status >= 0) return status;

    velora::Trace& trace = velora::Trace::Instance();
    trace.SetStream(stdout);

    const std::string sdkPath =
        options.sdkPath.empty() ? ExecutableDir() + "/../" VELORA_SDK_LIBRARY : options.sdkPath;
    if (!options.version) {
        // Extensions read the command line and the plug-in search path from
        // the application's settings, so both are handed over before the
        // SDK loads.
        velora::Application& application = velora::Application::Instance();
        application.SetCommandLine(argc, argv);
        for (const std::string& dir : SearchPath(options)) application.AddPluginPath(dir.c_str());
    }
    void* sdk = dlopen(sdkPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!sdk) {
        std::fprintf(stderr, "velora: cannot load the SDK library '%s': %s\n", sdkPath.c_str(),
                     dlerror());
        return 1;
    }
    // The SDK answers its version under plain C names; a library without
    // them is not the SDK, and trusting it would leave plug-ins unchecked.
    using VersionFn = int (*)();
    using VersionTextFn = const char* (*)();
    auto sdkVersion = reinterpret_cast<VersionFn>(dlsym(sdk, "LySdkVersion"));
    auto sdkVersionText = reinterpret_cast<VersionTextFn>(dlsym(sdk, "LySdkVersionString"));
    if (!sdkVersion || !sdkVersionText || sdkVersion() <= 0) {
        std::fprintf(stderr,
                     "velora: '%s' is not the lysdk library: it does not answer LySdkVersion\n",
                     sdkPath.c_str());
        dlclose(sdk);
        return 1;
    }
    if (options.version) {
        std::printf("velora %s, lysdk %s\n", VELORA_VERSION, sdkVersionText());
        dlclose(sdk);
        return 0;
    }
    velora::PluginLoader::Instance().SetSdkVersion(sdkVersion());

    const int failedPlugins = LoadPlugins(options);
    velora::FireLibraryOpen();

    if (options.listClasses) velora::ClassRegistry::Instance().Print(trace);
    if (options.listPlugins) ListPlugins();

    int failedActions = 0;
    int failedCreates = 0;
    velora_app::Workflow workflow;
    workflow.realTime = options.realTime;
    workflow.progress = ::isatty(STDERR_FILENO) != 0;
    bool ranWorkflow = false;
    std::vector<velora::PlugHandle> created;
    for (const Action& action : options.actions) {
        switch (action.kind) {
        case Action::kScene:
            if (!OpenScene(action.value)) ++failedActions;
            break;
        case Action::kCreate:
            if (!CreateInstance(action.value, created)) ++failedCreates;
            break;
        case Action::kSave:
            if (!SaveScene(action.value, options.binary)) ++failedActions;
            break;
        case Action::kFrames:
            EvaluateFrames(std::atoi(action.value.c_str()));
            break;
        case Action::kTake:
            workflow.UseTake(action.value);
            break;
        case Action::kFps: {
            std::string error;
            if (!workflow.SetFps(action.value, &error)) {
                std::fprintf(stderr, "velora: %s\n", error.c_str());
                ++failedActions;
            }
            break;
        }
        case Action::kPlay: {
            double start = 0, end = 0;
            ParseRange(action.value, &start, &end);
            workflow.Play(start, end);
            ranWorkflow = true;
            break;
        }
        case Action::kRecord:
            if (!workflow.Record(std::atof(action.value.c_str()))) ++failedActions;
            ranWorkflow = true;
            break;
        case Action::kPlot:
            if (!workflow.Plot()) ++failedActions;
            ranWorkflow = true;
            break;
        case Action::kCurvesPng: {
            std::string error;
            velora::Take* current = velora::CurrentTake(false);
            if (velora_app::DrawTakeCurves(current, action.value, &error)) {
                std::printf("velora: drew the curves of take %s into %s\n", current->Name(), action.value.c_str());
            } else {
                std::fprintf(stderr, "velora: --curves-png: %s\n", error.c_str());
                ++failedActions;
            }
            break;
        }
        }
    }
    if (ranWorkflow) workflow.PrintSummary();
    velora_app::ReleaseDrawingCaches();
    // The host ends what it created; extension objects go with their bridges.
    for (velora::PlugHandle& handle : created)
        if (velora::Plug* plug = handle.Get()) plug->Destroy(0);
    // Every object of a plug-in class ends before the plug-ins go (its code
    // lives in the library about to be unloaded). Plain host objects stay
    // until the process ends; nothing calls into their wrappers after this.
    velora::EndSession();
    dlclose(sdk);

    if (failedPlugins || failedCreates)
        std::printf("velora: %d plug-in(s) failed to load, %d instance(s) failed to create\n",
                    failedPlugins, failedCreates);
    return failedCreates || failedActions ? 1 : 0;
}
