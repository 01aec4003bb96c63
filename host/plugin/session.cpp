#include "velora/session.h"

#include <climits>
#include <cstdlib>
#include <set>

#include "velora/global_events.h"
#include "velora/object_registry.h"
#include "velora/plugin_loader.h"

namespace velora {

std::vector<PluginLoadReport> LoadPluginDirectories(
    const std::vector<std::string>& directories,
    const std::function<void(const PluginLoadReport&)>& each) {
    PluginLoader& loader = PluginLoader::Instance();
    std::vector<PluginLoadReport> reports;
    const auto tell = [&](PluginLoadReport report) {
        if (each) each(report);
        reports.push_back(std::move(report));
    };
    std::set<std::string> seen;
    for (const std::string& dir : directories) {
        std::vector<std::string> problems;
        const std::vector<std::string> files = PluginLoader::ListPlugins(dir.c_str(), &problems);
        for (const std::string& problem : problems) {
            // "path: reason" for an entry, "dir: reason" for the folder.
            const std::size_t colon = problem.rfind(": ");
            PluginLoadReport report;
            report.path = problem.substr(0, colon);
            report.reason = colon == std::string::npos ? problem : problem.substr(colon + 2);
            report.folder = report.path == dir;
            tell(std::move(report));
        }
        for (const std::string& path : files) {
            char resolved[PATH_MAX];
            const std::string key = ::realpath(path.c_str(), resolved) ? resolved : path;
            if (!seen.insert(key).second) continue;
            PluginLoadReport report;
            report.path = path;
            report.loaded = loader.Load(path.c_str(), &report.reason);
            tell(std::move(report));
        }
    }
    return reports;
}

bool ParseEntrySpec(const std::string& spec, EntrySpec* out, std::string* error) {
    std::string target = spec;
    std::string name;
    const std::size_t equals = target.find('=');
    if (equals != std::string::npos) {
        name = target.substr(equals + 1);
        target.resize(equals);
    }
    const std::size_t slash = target.rfind('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == target.size()) {
        if (error) *error = "expected GROUP/ENTRY[=NAME], got '" + spec + "'";
        return false;
    }
    out->group = target.substr(0, slash);
    out->entry = target.substr(slash + 1);
    out->name = name.empty() ? out->entry : name;
    return true;
}

lyiface::IObject* CreateFromRegistry(const EntrySpec& spec, std::string* error, std::string* library) {
    ObjectRegistry& registry = ObjectRegistry::Instance();
    const RegistryEntry* entry = registry.Find(spec.group.c_str(), spec.entry.c_str());
    if (entry && library) *library = EntryLibrary(*entry);
    // Through the registry, which remembers the entry: a storable class's
    // object is saved with it.
    std::string why;
    IObject* object = registry.Create(spec.group.c_str(), spec.entry.c_str(), nullptr, spec.name.c_str(),
                                      nullptr, &why);
    if (!object && error) *error = why;
    return object;
}

bool OpenSceneFile(const std::string& path, std::string* error, SceneCounts* counts) {
    GlobalEvent::Raise("PreFileOpen");
    if (!OpenScene(path, error, counts)) return false;
    GlobalEvent::Raise("FileOpen");
    return true;
}

bool SaveSceneFile(const std::string& path, bool binary, std::string* error, SceneCounts* counts) {
    GlobalEvent::Raise("PreFileSave");
    if (!SaveScene(path, binary, error, counts)) return false;
    GlobalEvent::Raise("FileSave");
    return true;
}

void EndSession() {
    EndPluginObjects();
    FireLibraryClose();
    PluginLoader::Instance().FreeAll();
}

}  // namespace velora
