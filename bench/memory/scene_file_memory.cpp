// What reading a scene file costs in memory, against the file's size.
//
// For files of several shapes, in both encodings, it reports the peak of the
// heap while DecodeDocument runs (every block the process holds, counted
// through a replaced operator new), plus the file's own bytes, as a multiple
// of the file's size. Reading is meant to take at most about 8 times: valid
// files are read within that, and files that would need more are refused.
//
//   bench_scene_memory              the table
//   bench_scene_memory --write DIR  also writes each file to DIR (so that a
//                                   whole process can be measured, e.g.
//                                   /usr/bin/time -v velora --scene FILE)

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include <velora/scene_file.h>

namespace {

std::atomic<std::size_t> gHeld{0};
std::atomic<std::size_t> gPeak{0};

// A heap block: what the allocator hands out plus its 8-byte header.
std::size_t BlockOf(void* p) { return p ? malloc_usable_size(p) + 8 : 0; }

void* Take(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    const std::size_t held = gHeld += BlockOf(p);
    std::size_t peak = gPeak.load();
    while (held > peak && !gPeak.compare_exchange_weak(peak, held)) {
    }
    return p;
}

void Give(void* p) {
    gHeld -= BlockOf(p);
    std::free(p);
}

}  // namespace

void* operator new(std::size_t n) { return Take(n); }
void* operator new[](std::size_t n) { return Take(n); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, std::size_t) noexcept { Give(p); }
void operator delete[](void* p, std::size_t) noexcept { Give(p); }

namespace {

namespace dsx = velora::dsx;

// A scene of `n` animated models: the common case.
dsx::Document Scene(int n) {
    dsx::Document doc;
    for (int i = 0; i < n; ++i) {
        dsx::FileObject* o = doc.AddObject("ModelNull", "Model::Model" + std::to_string(i));
        o->SetString("Label", "Model" + std::to_string(i));
        o->SetInteger("Flags", 130);
        const double t[3] = {double(i), 1.5, -2.25};
        for (const char* name : {"Lcl Translation", "Lcl Rotation", "Lcl Scaling"}) {
            dsx::FileProperty* p = o->AddProperty(name, dsx::kFileValueVector3);
            p->SetNumbers(t, 3);
            p->SetFlags(dsx::kFilePropertyAnimatable);
        }
        dsx::CurveNode* node = o->FindProperty("Lcl Translation")->CreateAnimation(3);
        for (int c = 0; c < 3; ++c) {
            dsx::Curve* curve = node->CreateCurve(c, false);
            for (int k = 0; k < 30; ++k) {
                dsx::CurveKey key;
                key.time = std::int64_t(k) * 4704000;
                key.value = k * 0.1 + c;
                key.data[2] = key.data[3] = 0.333;
                curve->Keys().push_back(key);
            }
        }
        o->AddProperty("Visibility", dsx::kFileValueBool)->SetInteger(1);
    }
    return doc;
}

// One object of `n` small integer fields with short names.
dsx::Document WideFields(int n) {
    dsx::Document doc;
    dsx::FileObject* o = doc.AddObject("M", "A");
    for (int i = 0; i < n; ++i) o->SetInteger("f" + std::to_string(i), i & 7);
    return doc;
}

// One object of `n` small integer properties.
dsx::Document WideProperties(int n) {
    dsx::Document doc;
    dsx::FileObject* o = doc.AddObject("M", "A");
    for (int i = 0; i < n; ++i) o->AddProperty("p" + std::to_string(i), dsx::kFileValueInt)->SetInteger(i & 7);
    return doc;
}

// `n` objects with nothing but their header.
dsx::Document BareObjects(int n) {
    dsx::Document doc;
    for (int i = 0; i < n; ++i) doc.AddObject("M", "M::" + std::to_string(i));
    return doc;
}

// A few long texts.
dsx::Document LongTexts(int n) {
    dsx::Document doc;
    dsx::FileObject* o = doc.AddObject("M", "A");
    for (int i = 0; i < n; ++i) o->SetString("s" + std::to_string(i), std::string(1 << 20, 'a' + i % 26));
    return doc;
}

std::string Encode(const dsx::Document& doc, dsx::Encoding encoding) {
    std::string bytes, error;
    if (!dsx::EncodeDocument(doc, encoding, &bytes, &error)) std::fprintf(stderr, "%s\n", error.c_str());
    return bytes;
}

// One field of `n` zeros: one byte each in binary, two in text ("0,"), and
// an 8-byte value each in the document. Beyond what reading may cost.
dsx::Document Zeros(std::size_t n) {
    dsx::Document doc;
    doc.AddObject("M", "A")->SetField("x", std::vector<std::int64_t>(n, 0));
    return doc;
}

void Measure(const char* what, const std::string& bytes, const char* dir) {
    dsx::Document doc;
    std::string error;
    const std::size_t before = gHeld.load();
    gPeak = before;
    const bool read = dsx::DecodeDocument(bytes.data(), bytes.size(), &doc, &error);
    const double peak = double(gPeak.load() - before);
    const double size = double(bytes.size());
    std::printf("  %-34s %9.1f MiB  %6.2f x  %s\n", what, size / (1 << 20), (size + peak) / size,
                read ? "read" : ("refused: " + error.substr(0, 60)).c_str());
    if (dir) {
        std::string name = std::string(dir) + "/";
        for (const char* c = what; *c; ++c) name += (*c == ' ' || *c == ',') ? '_' : *c;
        std::ofstream(name + ".dsx", std::ios::binary) << bytes;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* dir = argc == 3 && std::string(argv[1]) == "--write" ? argv[2] : nullptr;
    std::printf("peak memory while reading (file bytes + heap) / file bytes, goal <= 8:\n");
    for (dsx::Encoding e : {dsx::Encoding::kText, dsx::Encoding::kBinary}) {
        const std::string enc = e == dsx::Encoding::kText ? "text" : "binary";
        Measure((enc + " scene 20000 models").c_str(), Encode(Scene(20000), e), dir);
        Measure((enc + " fields 2000000").c_str(), Encode(WideFields(2000000), e), dir);
        Measure((enc + " properties 1000000").c_str(), Encode(WideProperties(1000000), e), dir);
        Measure((enc + " objects 1000000").c_str(), Encode(BareObjects(1000000), e), dir);
        Measure((enc + " texts 64 MiB").c_str(), Encode(LongTexts(64), e), dir);
        Measure((enc + " zeros 16000000").c_str(), Encode(Zeros(16000000), e), dir);
    }
    return 0;
}
