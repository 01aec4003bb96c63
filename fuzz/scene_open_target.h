#ifndef LYSDK_FUZZ_SCENE_OPEN_TARGET_H
#define LYSDK_FUZZ_SCENE_OPEN_TARGET_H

// The whole opening of a scene under arbitrary input: the document, the
// objects it makes, their properties and references, and saving the scene
// again. Shared by the libFuzzer target and by the unit test that replays
// the committed corpus and every saved finding.
//
// Beyond "no crash, no sanitizer report, no exception":
//   - every file object is either opened or counted as skipped, each skip
//     with a warning (nothing is lost silently);
//   - the scene that results saves into a document that encodes and decodes
//     again in both encodings;
//   - everything the input made is ended afterwards, so runs do not pile up.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include <velora/entity.h>
#include <velora/object.h>
#include <velora/object_directory.h>
#include <velora/scene.h>
#include <velora/scene_file.h>
#include <velora/scene_io.h>

namespace lysdk_fuzz {

inline void SceneOpenCheck(bool condition) {
    if (!condition) __builtin_trap();
}

inline int SceneOpen(const std::uint8_t* data, std::size_t size) {
    namespace dsx = velora::dsx;
    dsx::Document doc;
    std::string error;
    if (!dsx::DecodeDocument(data, size, &doc, &error)) return 0;
    velora::ObjectDirectory& directory = velora::MainEntity::Instance().Objects();
    // The main scene lives for the process; made before the snapshot so the
    // clean-up below never counts it among the opened objects.
    velora::Scene::Main();
    std::unordered_set<velora::Object*> before;
    for (velora::Object* object : directory.Livings()) before.insert(object);

    velora::SceneCounts opened;
    velora::RetrieveScene(doc, &opened);
    SceneOpenCheck(opened.objects + opened.skipped == doc.ObjectCount());
    SceneOpenCheck(static_cast<int>(opened.warnings.size()) >= opened.skipped);

    dsx::Document saved;
    velora::StoreScene(&saved);
    for (dsx::Encoding encoding : {dsx::Encoding::kText, dsx::Encoding::kBinary}) {
        std::string bytes;
        SceneOpenCheck(dsx::EncodeDocument(saved, encoding, &bytes, &error));
        dsx::Document back;
        SceneOpenCheck(dsx::DecodeDocument(bytes.data(), bytes.size(), &back, &error));
        SceneOpenCheck(dsx::SameContent(saved, back));
    }

    std::vector<velora::PlugHandle> made;
    for (velora::Object* object : directory.Livings())
        if (!before.count(object)) made.emplace_back(object);
    for (velora::PlugHandle& handle : made) {
        auto* object = static_cast<velora::Object*>(handle.Get());
        if (!object) continue;
        object->SetObjectFlags(velora::kObjectDefaultFlags);
        object->Destroy(0);
    }
    return 0;
}

}  // namespace lysdk_fuzz

#endif  // LYSDK_FUZZ_SCENE_OPEN_TARGET_H
