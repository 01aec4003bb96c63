// Corrupt, truncated, foreign and future files are refused with a message,
// never taken half-way and never a crash.

#include <utility>

#include "scenefile/sample_document.h"

using namespace scenefile_test;

namespace {

// Decodes `bytes` expecting a refusal; returns the message. The document
// handed in already holds an object, which a refusal must clear.
std::string Refusal(const std::string& bytes) {
    dsx::Document doc;
    doc.AddObject("Stale", "Stale::Object");
    std::string error;
    EXPECT_FALSE(dsx::DecodeDocument(bytes.data(), bytes.size(), &doc, &error)) << bytes;
    EXPECT_EQ(doc.ObjectCount(), 0) << bytes;
    EXPECT_FALSE(error.empty()) << bytes;
    return error;
}

std::string Wrap(const std::string& objects) {
    return R"({"format": "velora-dsx", "version": 2, "objects": [)" + objects + "]}";
}

class Truncation : public ::testing::TestWithParam<dsx::Encoding> {};

TEST_P(Truncation, EveryPrefixIsRefused) {
    dsx::Document doc;
    dsx::FileObject* o = doc.AddObject("__LyDevice", "Device::D");
    o->SetInteger("Icon", 1);
    o->SetString("Port", "COM1");
    FillCurve(o->AddProperty("X", dsx::kFileValueDouble)->CreateAnimation(1)->CreateCurve(0, true), 3, 5);
    const std::string bytes = Encode(doc, GetParam());
    // Text may end in white space that the reader does not need; every
    // shorter prefix that cuts into the tree must be refused.
    std::size_t needed = bytes.size();
    while (needed > 0 && (bytes[needed - 1] == '\n' || bytes[needed - 1] == ' ')) --needed;
    for (std::size_t n = 0; n < needed; ++n) {
        dsx::Document out;
        std::string error;
        ASSERT_FALSE(dsx::DecodeDocument(bytes.data(), n, &out, &error)) << "prefix of " << n << " bytes taken";
        ASSERT_FALSE(error.empty());
        ASSERT_EQ(out.ObjectCount(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, Truncation,
                         ::testing::Values(dsx::Encoding::kText, dsx::Encoding::kBinary),
                         EncodingName);

TEST(SceneFileReject, EmptyForeignAndUnknownVersions) {
    const std::string head = R"({"format": "velora-dsx", "version": )";
    const std::pair<std::string, const char*> cases[] = {
        {"", "empty"},
        {"PK\x03\x04 not a scene", "not a valid scene file"},
        {"[1, 2, 3]", "top level"},
        {R"({"format": "other", "version": 1, "objects": []})", "format name"},
        {R"({"format": "velora-dsx", "objects": []})", "no version"},
        {Wrap("") + "x", "not a valid scene file"},  // trailing bytes after a complete tree
        {head + R"(3, "objects": []})", "version"},
        {head + R"(0, "objects": []})", "version"},
        {head + R"(-1, "objects": []})", "version"},
        {head + R"(1.5, "objects": []})", "version"},
        {head + R"(99999999999999999999, "objects": []})", "version"},
        {head + R"("1", "objects": []})", "version"},
    };
    for (const auto& [bytes, expected] : cases) {
        const std::string error = Refusal(bytes);
        EXPECT_NE(error.find(expected), std::string::npos) << bytes << ": " << error;
    }
    EXPECT_EQ(Refusal(head + R"(3, "objects": "new layout"})"),
              "unsupported scene file version 3 (this reader reads versions 1 to 2)");
    // Messages say where.
    EXPECT_EQ(Refusal(Wrap(R"({"id": 1, "class": "Model", "name": "Model::A", "properties": [)"
                           R"({"name": "V", "type": "vector3", "value": [1, 2]}]})")),
              "objects[0].properties[0].value: expected 3 numbers");
}

TEST(SceneFileReject, FutureVersionInBinary) {
    // The same check in the binary form: patch the version of a real file.
    std::string bytes = Encode(dsx::Document(), dsx::Encoding::kBinary);
    const std::string key = "version";
    const std::size_t at = bytes.find(key);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(static_cast<unsigned char>(bytes[at + key.size()]), 0x02);  // CBOR small integer 2
    bytes[at + key.size()] = 0x03;
    EXPECT_NE(Refusal(bytes).find("unsupported scene file version 3"), std::string::npos);
}

TEST(SceneFileReject, StructuralFaults) {
    struct Case {
        const char* objects;
        const char* expected;  // part of the message
    };
    const Case cases[] = {
        {R"({"class": "M", "name": "A"})", "missing member \"id\""},
        {R"({"id": 1, "class": "M", "name": "A", "id": 2})", "member \"id\" appears twice in one object"},
        {R"({"id": 1, "class": "M", "name": "A", "fields": {"X": {"int": 1}, "X": {"int": 2}}})", "member \"X\" appears twice"},
        {R"({"id": 0, "class": "M", "name": "A"})", "id: 0 is not 1..2147483647"},
        {R"({"id": 2147483648, "class": "M", "name": "A"})", "is not 1..2147483647"},
        {R"({"id": 1, "class": "", "name": "A"})", "class name is empty"},
        {R"({"id": 1, "class": "M", "name": 5})", "name: expected a string, found an integer"},
        {R"({"id": 1, "class": "M", "name": "A", "colour": 1})", "unknown member \"colour\""},
        {R"({"id": 1, "class": "M", "name": "A"}, {"id": 1, "class": "M", "name": "B"})", "is used twice"},
        {R"({"id": 1, "class": "M", "name": "A"}, {"id": 2, "class": "M", "name": "A"})", "is used twice"},
        {R"({"id": 1, "class": "M", "name": "A", "fields": {"R": {"ref": 7}}})", "reference to object 7"},
        {R"({"id": 1, "class": "M", "name": "A", "fields": {"R": {"ref": 0}}})", "fields.R.ref: 0 is not"},
        {R"({"id": 1, "class": "M", "name": "A", "fields": {"X": {"int": 1.5}}})", "fields.X.int: expected an integer"},
        {R"({"id": 1, "class": "M", "name": "A", "fields": {"X": {"int": 9223372036854775808}}})", "past the 64-bit"},
        {R"({"id": 1, "class": "M", "name": "A", "fields": {"X": {"int": 1, "double": 2}}})", "one member"},
        {R"({"id": 1, "class": "M", "name": "A", "fields": {"X": {"float": 1}}})", "unknown field type"},
        {R"({"id": 1, "class": "M", "name": "A", "fields": {"X": {"double": "nan"}}})", "is not a number"},
        {R"x({"id": 1, "class": "M", "name": "A", "fields": {"X": {"double": "nan(0x7ff0000000000000)"}}})x", "is not a number"},
        {R"({"id": 1, "class": "M", "name": "A", "fields": {"X": {"strings": ["a", 1]}}})", "strings[1]: expected a string"},
        {R"({"id": 1, "class": "M", "name": "A", "fields": {"X": {"string": "a\u0000b"}}})", "NUL"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "quaternion", "value": 1}]})", "unknown value type"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "int", "value": 2147483648}]})", "is not -2147483648..2147483647"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "uint64", "value": -1}]})", "expected an unsigned integer"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "bool", "value": 1}]})", "expected a bool"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "int", "flags": 32, "value": 1}]})", "unknown bits 32"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "int", "value": 1}, {"name": "P", "type": "int", "value": 1}]})", "used twice"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "int"}]})", "missing member \"value\""},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "double", "value": 0, "animation": {"name": "", "channels": []}}]})", "1..16 channels"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "double", "value": 0, "animation": {"name": "", "channels": [{"value": 0, "curve": {"name": "", "class": "spline", "default": 0, "pre": [0, 0], "post": [0, 0], "keys": []}}]}}]})", "class: expected \"curve\" or \"custom\""},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "double", "value": 0, "animation": {"name": "", "channels": [{"value": 0, "curve": {"name": "", "class": "curve", "default": 0, "pre": [9, 0], "post": [0, 0], "keys": []}}]}}]})", "pre[0]: 9 is not 0..4"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "double", "value": 0, "animation": {"name": "", "channels": [{"value": 0, "curve": {"name": "", "class": "curve", "default": 0, "pre": [0, 0], "post": [0, 0], "keys": [[5, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0], [5, 1, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0]]}}]}}]})", "keys[1]: key times must strictly increase"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "double", "value": 0, "animation": {"name": "", "channels": [{"value": 0, "curve": {"name": "", "class": "curve", "default": 0, "pre": [0, 0], "post": [0, 0], "keys": [[5, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0]]}}]}}]})", "keys[0][2]: 16 is not 1..15"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "double", "value": 0, "animation": {"name": "", "channels": [{"value": 0, "curve": {"name": "", "class": "curve", "default": 0, "pre": [0, 0], "post": [0, 0], "keys": [[5, 0, 8, 0, 4, 0, 0, 0, 0, 0, 0, 0]]}}]}}]})", "keys[0][4]: 4 is not 0..3"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "double", "value": 0, "animation": {"name": "", "channels": [{"value": 0, "curve": {"name": "", "class": "curve", "default": 0, "pre": [0, 0], "post": [0, 0], "keys": [[5, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0]]}}]}}]})", "expected a key of 12 or 15 values"},
        {R"({"id": 1, "class": "M", "name": "A", "properties": [{"name": "P", "type": "double", "value": 0, "animation": {"name": "", "channels": [{"value": 0, "curve": {"name": "", "class": "custom", "default": 0, "pre": [0, 0], "post": [0, 0], "keys": []}}]}}]})", "missing member \"keyIndices\""},
    };
    for (const Case& c : cases) {
        const std::string error = Refusal(Wrap(c.objects));
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.objects << "\n  gave: " << error;
    }
}

TEST(SceneFileReject, InvalidUtf8InBinaryFiles) {
    // The text parser checks UTF-8 itself; the binary form is checked by the
    // reader, so that any file that loads can be saved as text.
    dsx::Document doc;
    doc.AddObject("Model", "Model::A")->SetString("S", "ABCD");
    std::string bytes = Encode(doc, dsx::Encoding::kBinary);
    const std::size_t at = bytes.find("ABCD");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 1] = '\xC0';  // an overlong lead byte
    EXPECT_NE(Refusal(bytes).find("not UTF-8"), std::string::npos);
    bytes[at + 1] = '\0';
    EXPECT_NE(Refusal(bytes).find("NUL"), std::string::npos);
}

TEST(SceneFileReject, DeepNestingStopsEarly) {
    // Far deeper than any stack would take, in both encodings.
    const std::size_t depth = 200000;
    const std::string text = std::string(depth, '[') + std::string(depth, ']');
    EXPECT_NE(Refusal(text).find("nested deeper than 32 levels"), std::string::npos);
    std::string binary("\xD9\xD9\xF7", 3);
    binary.append(depth, '\x81');  // arrays of one element, each holding the next
    binary.push_back('\x00');
    EXPECT_NE(Refusal(binary).find("nested deeper than 32 levels"), std::string::npos);
}

TEST(SceneFileReject, HugeDeclaredLengthsDoNotAllocate) {
    // A CBOR array and string claiming 2^63 elements in a few bytes.
    EXPECT_FALSE(Refusal(std::string("\xD9\xD9\xF7\x9B\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 12)).empty());
    EXPECT_FALSE(Refusal(std::string("\xD9\xD9\xF7\x7B\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 12)).empty());
    // A byte string: not part of the format.
    EXPECT_NE(Refusal(std::string("\xD9\xD9\xF7\x42\x01\x02", 6)).find("byte strings"), std::string::npos);
}

// A binary file of one object whose only field holds `count` one-byte
// integers, in a definite or an indefinite-length array.
std::string ManySmallIntegers(std::size_t count, bool definite) {
    std::string b("\xD9\xD9\xF7\xA3", 4);
    auto text = [&b](const std::string& s) {
        b += static_cast<char>(0x60 + s.size());
        b += s;
    };
    text("format"), text("velora-dsx"), text("version"), b += '\x02', text("objects");
    b += "\x81\xA4", text("id"), b += '\x01', text("class"), text("M"), text("name"), text("A");
    text("fields"), b += "\xA1", text("x"), b += "\xA1", text("ints");
    if (definite) {
        b += '\x9A';
        for (int shift = 24; shift >= 0; shift -= 8) b += static_cast<char>((count >> shift) & 0xFF);
    } else {
        b += '\x9F';
    }
    b.append(count, '\x00');
    if (!definite) b += '\xFF';
    return b;
}

TEST(SceneFileReject, MemoryIsBoundedByTheFileSize) {
    // Each one-byte number would take 16 bytes in the tree and 8 in the
    // document: refused before the memory is taken, whatever the array says.
    for (bool definite : {true, false}) {
        const std::string error = Refusal(ManySmallIntegers(std::size_t(4) << 20, definite));
        EXPECT_NE(error.find("memory"), std::string::npos) << error;
    }
    // The same field, small: read.
    const std::string small = ManySmallIntegers(1000, true);
    dsx::Document doc;
    std::string error;
    ASSERT_TRUE(dsx::DecodeDocument(small.data(), small.size(), &doc, &error)) << error;
    const auto* ints = std::get_if<std::vector<std::int64_t>>(doc.ObjectAt(0)->Field("x"));
    ASSERT_NE(ints, nullptr);
    EXPECT_EQ(ints->size(), 1000u);
}

TEST(SceneFileReject, FlippedBytesNeverCrash) {
    // Every single-byte corruption of a real file is either refused or, when
    // it happens to leave a valid file, read into a document that saves and
    // reads back the same.
    dsx::Document doc = SampleDocument();
    for (dsx::Encoding encoding : {dsx::Encoding::kText, dsx::Encoding::kBinary}) {
        const std::string bytes = Encode(doc, encoding);
        int refused = 0, taken = 0;
        // About 500 positions spread over the whole file.
        const std::size_t step = bytes.size() / 500 + 1;
        for (std::size_t i = 0; i < bytes.size(); i += step) {
            std::string bad = bytes;
            bad[i] = static_cast<char>(bad[i] ^ (0x5A + (i & 0x0F)));
            dsx::Document out;
            std::string error;
            if (!dsx::DecodeDocument(bad.data(), bad.size(), &out, &error)) {
                ASSERT_FALSE(error.empty());
                ASSERT_EQ(out.ObjectCount(), 0);
                ++refused;
                continue;
            }
            std::string again;
            ASSERT_TRUE(dsx::EncodeDocument(out, encoding, &again, &error)) << error;
            dsx::Document back;
            ASSERT_TRUE(dsx::DecodeDocument(again.data(), again.size(), &back, &error)) << error;
            ASSERT_TRUE(dsx::SameContent(out, back));
            ++taken;
        }
        EXPECT_GT(refused, 0);
        EXPECT_GT(taken, 0);  // some flips only change a value
    }
}

TEST(SceneFileReject, InvalidDocumentsAreNotSaved) {
    // The writer runs the reader's checks, so it never makes a file that
    // cannot be read back.
    std::string bytes = "untouched", error;
    dsx::Document dangling;
    dangling.AddObject("M", "A")->SetReference("R", 42);
    EXPECT_FALSE(dsx::EncodeDocument(dangling, dsx::Encoding::kText, &bytes, &error));
    EXPECT_NE(error.find("objects[0] (A).fields.R: reference to object 42"), std::string::npos) << error;
    EXPECT_EQ(bytes, "untouched");

    dsx::Document unsorted;
    dsx::Curve* c = unsorted.AddObject("M", "A")->AddProperty("P", dsx::kFileValueDouble)->CreateAnimation(2)->CreateCurve(1, false);
    c->Keys().resize(2);  // two keys at time 0
    EXPECT_FALSE(dsx::EncodeDocument(unsorted, dsx::Encoding::kBinary, &bytes, &error));
    EXPECT_NE(error.find("properties[0] (P).animation.channels[1].curve.keys[1]"), std::string::npos) << error;

    dsx::Document badText;
    badText.AddObject("M", "A")->SetString("S", std::string("a\xff", 2));
    EXPECT_FALSE(dsx::EncodeDocument(badText, dsx::Encoding::kText, &bytes, &error));
    EXPECT_NE(error.find("not UTF-8"), std::string::npos) << error;
}

// Decodes and re-encodes a file with one object of `n` fields and one of
// `n` properties. (How the time grows with `n` is measured in bench/scenefile.)
void ReadWideObject(int n) {
    std::string fields, properties;
    for (int i = 0; i < n; ++i) {
        const std::string name = "F" + std::to_string(i);
        fields += (i ? ",\"" : "\"") + name + "\": {\"int\": " + std::to_string(i) + "}";
        properties += std::string(i ? "," : "") + "{\"name\": \"" + name + "\", \"type\": \"int\", \"value\": 1}";
    }
    const std::string text = Wrap(R"({"id": 1, "class": "M", "name": "A", "fields": {)" + fields +
                                  R"(}}, {"id": 2, "class": "M", "name": "B", "properties": [)" + properties + "]}");
    dsx::Document doc;
    std::string error, again;
    ASSERT_TRUE(dsx::DecodeDocument(text.data(), text.size(), &doc, &error)) << error;
    ASSERT_TRUE(dsx::EncodeDocument(doc, dsx::Encoding::kBinary, &again, &error)) << error;
    EXPECT_EQ(doc.FindObject(1)->Fields().size(), static_cast<std::size_t>(n));
    EXPECT_EQ(doc.FindObject(2)->PropertyCount(), n);
    EXPECT_NE(doc.FindObject(2)->FindProperty("F" + std::to_string(n - 1)), nullptr);
}

TEST(SceneFileLimits, WideObjectsKeepEveryMember) { ReadWideObject(20000); }

}  // namespace
