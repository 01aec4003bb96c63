#ifndef LYSDK_FUZZ_SCENE_FILE_TARGET_H
#define LYSDK_FUZZ_SCENE_FILE_TARGET_H

// The scene-file reader (velora::dsx::DecodeDocument) under arbitrary input.
//
// Shared by the libFuzzer target and by the unit test that replays the
// committed corpus and every saved crash.
//
// Beyond "no crash, no sanitizer report, no exception", the reader is held
// to what its documentation promises:
//   - a refused input leaves the document empty and says why;
//   - an accepted input gives a document that encodes in both encodings,
//     each of which decodes to the same content, and encoding that again
//     gives the same bytes (a file that loads always saves and loads back).

#include <cstddef>
#include <cstdint>
#include <string>

#include <velora/scene_file.h>

namespace lysdk_fuzz {

inline void SceneFileCheck(bool condition) {
    if (!condition) __builtin_trap();
}

inline int SceneFile(const std::uint8_t* data, std::size_t size) {
    namespace dsx = velora::dsx;
    dsx::Document doc;
    std::string error;
    if (!dsx::DecodeDocument(data, size, &doc, &error)) {
        SceneFileCheck(doc.ObjectCount() == 0);
        SceneFileCheck(!error.empty());
        return 0;
    }
    for (dsx::Encoding encoding : {dsx::Encoding::kText, dsx::Encoding::kBinary}) {
        std::string bytes;
        SceneFileCheck(dsx::EncodeDocument(doc, encoding, &bytes, &error));
        dsx::Document back;
        dsx::Encoding found = encoding == dsx::Encoding::kText ? dsx::Encoding::kBinary : dsx::Encoding::kText;
        SceneFileCheck(dsx::DecodeDocument(bytes.data(), bytes.size(), &back, &error, &found));
        SceneFileCheck(found == encoding);
        SceneFileCheck(dsx::SameContent(doc, back));
        std::string again;
        SceneFileCheck(dsx::EncodeDocument(back, encoding, &again, &error));
        SceneFileCheck(again == bytes);
    }
    return 0;
}

}  // namespace lysdk_fuzz

#endif  // LYSDK_FUZZ_SCENE_FILE_TARGET_H
