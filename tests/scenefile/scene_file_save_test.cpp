// Saving is atomic: whatever fails, the previous file stays byte for byte
// and no temporary is left behind.

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "scenefile/sample_document.h"

using namespace scenefile_test;
using velora::dsx::SaveStep;

namespace {

// A document large enough to take several 64 KiB chunks to write.
dsx::Document LargeDocument() {
    dsx::Document doc = SampleDocument();
    dsx::FileProperty* p = doc.AddObject("Model", "Model::Large")->AddProperty("X", dsx::kFileValueDouble);
    FillCurve(p->CreateAnimation(1)->CreateCurve(0, false), 6000, 11);
    return doc;
}

class SceneFileSave : public ScratchDirectory {
protected:
    // Writes a first, valid version of the file and returns its bytes.
    std::string WriteOldFile(const std::string& path) {
        dsx::Document old;
        old.AddObject("Model", "Model::Old")->SetInteger("Generation", 1);
        std::string error;
        EXPECT_TRUE(dsx::SaveDocument(old, path, dsx::Encoding::kText, &error)) << error;
        const std::string bytes = ReadBytes(path);
        EXPECT_FALSE(bytes.empty());
        return bytes;
    }

    static std::size_t sHalf;
    static bool sFailedMidWrite;
    static SaveStep sFailAt;
};

std::size_t SceneFileSave::sHalf = 0;
bool SceneFileSave::sFailedMidWrite = false;
SaveStep SceneFileSave::sFailAt = SaveStep::kCreate;

TEST_F(SceneFileSave, WriteFailingHalfWayKeepsTheOldFile) {
    const std::string path = Path("scene.dsx");
    const std::string old = WriteOldFile(path);
    std::string bytes, error;
    const dsx::Document large = LargeDocument();
    ASSERT_TRUE(dsx::EncodeDocument(large, dsx::Encoding::kText, &bytes, &error));
    ASSERT_GT(bytes.size(), 4u * 64 * 1024);
    sHalf = bytes.size() / 2;
    sFailedMidWrite = false;
    dsx::SetSaveFaultHook([](SaveStep step, std::size_t written) {
        if (step != SaveStep::kWrite || written < sHalf) return true;
        sFailedMidWrite = true;
        return false;
    });
    EXPECT_FALSE(dsx::SaveDocument(large, path, dsx::Encoding::kText, &error));
    dsx::SetSaveFaultHook(nullptr);
    // The hook really stopped a write that had begun: half the bytes were
    // already in the temporary.
    EXPECT_TRUE(sFailedMidWrite);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"scene.dsx"});

    // And the same save without the fault goes through.
    ASSERT_TRUE(dsx::SaveDocument(large, path, dsx::Encoding::kText, &error)) << error;
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_EQ(Entries(), std::vector<std::string>{"scene.dsx"});
}

TEST_F(SceneFileSave, EachStepFailingKeepsTheOldFile) {
    const std::string path = Path("scene.dsx");
    const std::string old = WriteOldFile(path);
    const dsx::Document doc = SampleDocument();
    for (SaveStep step : {SaveStep::kCreate, SaveStep::kWrite, SaveStep::kSync, SaveStep::kRename}) {
        sFailAt = step;
        dsx::SetSaveFaultHook([](SaveStep s, std::size_t) { return s != sFailAt; });
        std::string error;
        EXPECT_FALSE(dsx::SaveDocument(doc, path, dsx::Encoding::kBinary, &error)) << static_cast<int>(step);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(ReadBytes(path), old) << static_cast<int>(step);
        EXPECT_EQ(Entries(), std::vector<std::string>{"scene.dsx"}) << static_cast<int>(step);
    }
}

TEST_F(SceneFileSave, InterruptedProcessKeepsTheOldFile) {
    // The process dies half-way through writing: no clean-up runs at all.
    const std::string path = Path("scene.dsx");
    const std::string old = WriteOldFile(path);
    const dsx::Document large = LargeDocument();
    // The default ("fast") style forks without running the test again, so
    // the child saves over this very file.
    EXPECT_EXIT(
        {
            dsx::SetSaveFaultHook([](SaveStep step, std::size_t written) {
                if (step == SaveStep::kWrite && written > 0) std::_Exit(3);
                return true;
            });
            dsx::SaveDocument(large, path, dsx::Encoding::kText, nullptr);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(ReadBytes(path), old);
    dsx::Document back;
    std::string error;
    ASSERT_TRUE(dsx::LoadDocument(path, &back, &error)) << error;
    EXPECT_NE(back.FindObject("Model::Old"), nullptr);
    // The stale temporary is the only trace, hidden beside the file.
    const std::vector<std::string> entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].rfind(".scene.dsx.tmp-", 0), 0u) << entries[0];

    // The next save of the file removes the temporary of the process that is
    // gone, and only that: not one whose writer lives (pid 1), nor files of
    // another pattern.
    const std::string stale = entries[0];
    const std::vector<std::string> kept = {".scene.dsx.tmp-1-abcdef", ".scene.dsx.tmp-notes",
                                           ".scene.dsx.tmp-12-ab"};
    for (const std::string& name : kept) WriteBytes(Path(name.c_str()), "keep");
    ASSERT_TRUE(dsx::SaveDocument(SampleDocument(), path, dsx::Encoding::kText, &error)) << error;
    std::vector<std::string> expected = kept;
    expected.push_back("scene.dsx");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(), expected);
}

// A name near the file system's limit still saves: the temporary's name is
// cut to fit, and its stale temporaries are found by the same cut name.
TEST_F(SceneFileSave, LongFileNames) {
    const std::string name = std::string(245, 'n') + ".dsx";
    const std::string path = Path(name.c_str());
    std::string error;
    ASSERT_TRUE(dsx::SaveDocument(SampleDocument(), path, dsx::Encoding::kText, &error)) << error;
    EXPECT_EQ(Entries(), std::vector<std::string>{name});
    dsx::Document back;
    ASSERT_TRUE(dsx::LoadDocument(path, &back, &error)) << error;
    EXPECT_TRUE(dsx::SameContent(back, SampleDocument()));
}

// A write that the system refuses is reported with its reason; the old file
// stays. (A file-size limit makes the write of the temporary fail for real.)
TEST_F(SceneFileSave, AFailingWriteSaysWhy) {
    const std::string path = Path("scene.dsx");
    const std::string old = WriteOldFile(path);
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool saved = dsx::SaveDocument(LargeDocument(), path, dsx::Encoding::kText, &error);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find(std::strerror(EFBIG)), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"scene.dsx"});
}

// Targets that cannot be replaced and documents that cannot be written are
// refused with their reason, and whatever stood there stays as it was.
TEST_F(SceneFileSave, RefusedTargetsAndDocumentsLeaveWhatIsThere) {
    const std::string fifo = Path("fifo.dsx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string link = Path("null.dsx");
    fs::create_symlink("/dev/null", link);
    const std::string folder = Path("folder.dsx");
    fs::create_directory(folder);
    WriteBytes(Path("folder.dsx/inside"), "keep");
    const std::string path = Path("scene.dsx");
    const std::string old = WriteOldFile(path);
    dsx::Document bad;
    bad.AddObject("M", "A")->SetReference("R", 99);
    const struct {
        std::string target;
        const dsx::Document* doc;
        const char* reason;
    } cases[] = {
        // Only a regular file is replaced: a FIFO, a device, or a link to a device is not.
        {fifo, nullptr, "not a regular file"},
        {link, nullptr, "not a regular file"},
        {"/dev/null", nullptr, "not a regular file"},
        {folder, nullptr, "is a directory"},
        {Path("no/such/dir/scene.dsx"), nullptr, "No such file or directory"},
        {path, &bad, "reference to object 99"},
    };
    const dsx::Document sample = SampleDocument();
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(dsx::SaveDocument(c.doc ? *c.doc : sample, c.target, dsx::Encoding::kText, &error)) << c.target;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(ReadBytes(Path("folder.dsx/inside")), "keep");
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"fifo.dsx", "folder.dsx", "null.dsx", "scene.dsx"}));
    // Reading a FIFO that has no writer is refused at once, not waited on.
    dsx::Document doc;
    std::string error;
    EXPECT_FALSE(dsx::LoadDocument(fifo, &doc, &error));
    EXPECT_NE(error.find("a FIFO"), std::string::npos) << error;
}

TEST_F(SceneFileSave, KeepsThePermissionsOfTheFileItReplaces) {
    const std::string path = Path("scene.dsx");
    WriteOldFile(path);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    std::string error;
    ASSERT_TRUE(dsx::SaveDocument(SampleDocument(), path, dsx::Encoding::kBinary, &error)) << error;
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // A new file is readable by others, not private like a raw temporary.
    const std::string fresh = Path("fresh.dsx");
    ASSERT_TRUE(dsx::SaveDocument(SampleDocument(), fresh, dsx::Encoding::kBinary, &error)) << error;
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(SceneFileSave, ThroughASymbolicLinkTheLinkStays) {
    const std::string real = Path("real.dsx");
    const std::string link = Path("link.dsx");
    WriteOldFile(real);
    fs::create_symlink("real.dsx", link);
    std::string error;
    ASSERT_TRUE(dsx::SaveDocument(SampleDocument(), link, dsx::Encoding::kText, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    dsx::Document back;
    ASSERT_TRUE(dsx::LoadDocument(real, &back, &error)) << error;
    EXPECT_TRUE(dsx::SameContent(back, SampleDocument()));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"link.dsx", "real.dsx"}));
}

TEST_F(SceneFileSave, RelativePathsSaveInTheCurrentDirectory) {
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    std::string error;
    const bool saved = dsx::SaveDocument(SampleDocument(), "here.dsx", dsx::Encoding::kText, &error);
    fs::current_path(before);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(Entries(), std::vector<std::string>{"here.dsx"});
}

TEST_F(SceneFileSave, LoadRefusals) {
    dsx::Document doc;
    doc.AddObject("Stale", "Stale::Object");
    std::string error;
    EXPECT_FALSE(dsx::LoadDocument(Path("missing.dsx"), &doc, &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
    EXPECT_EQ(doc.ObjectCount(), 0);
    EXPECT_FALSE(dsx::LoadDocument(dir_.string(), &doc, &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;

    // A truncated file on disk: the message names the file and the fault.
    const std::string path = Path("cut.dsx");
    ASSERT_TRUE(dsx::SaveDocument(SampleDocument(), path, dsx::Encoding::kText, &error)) << error;
    const std::string bytes = ReadBytes(path);
    WriteBytes(path, bytes.substr(0, bytes.size() / 2));
    EXPECT_FALSE(dsx::LoadDocument(path, &doc, &error));
    EXPECT_EQ(error.rfind("'" + path + "': not a valid scene file: ", 0), 0u) << error;
    EXPECT_EQ(doc.ObjectCount(), 0);
}

}  // namespace
