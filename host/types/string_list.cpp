#include "velora/string_list.h"

#include <algorithm>
#include <cstring>

namespace velora {

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

// ASCII-only folding: texts are bytes in no particular encoding, so letters
// outside ASCII are left alone rather than guessed at (and the result does
// not depend on the process locale).
unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// True when the first `n` bytes of `a` and `b` match under the chosen rule.
bool SameBytes(const char* a, const char* b, std::size_t n, bool caseSensitive) {
    if (caseSensitive) return std::memcmp(a, b, n) == 0;
    for (std::size_t i = 0; i < n; ++i)
        if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

StringList::~StringList() = default;

int StringList::Add(const char* text, Reference reference) {
    entries_.push_back(Entry{OrEmpty(text), reference});
    return Count() - 1;
}

bool StringList::Insert(int index, const char* text, Reference reference) {
    if (index < 0 || index > Count()) return false;
    entries_.insert(entries_.begin() + index, Entry{OrEmpty(text), reference});
    return true;
}

bool StringList::RemoveAt(int index) {
    if (!Valid(index)) return false;
    entries_.erase(entries_.begin() + index);
    return true;
}

const char* StringList::TextAt(int index) const {
    return Valid(index) ? entries_[index].text.c_str() : nullptr;
}

bool StringList::SetTextAt(int index, const char* text) {
    if (!Valid(index)) return false;
    // Assigning from a pointer into the same string is safe for std::string.
    entries_[index].text = OrEmpty(text);
    return true;
}

StringList::Reference StringList::ReferenceAt(int index) const {
    return Valid(index) ? entries_[index].reference : 0;
}

bool StringList::SetReferenceAt(int index, Reference reference) {
    if (!Valid(index)) return false;
    entries_[index].reference = reference;
    return true;
}

int StringList::FindText(const char* text, bool caseSensitive, bool prefix) const {
    const char* wanted = OrEmpty(text);
    const std::size_t length = std::strlen(wanted);
    for (int i = 0; i < Count(); ++i) {
        const std::string& candidate = entries_[i].text;
        const bool sizeFits = prefix ? candidate.size() >= length : candidate.size() == length;
        if (sizeFits && SameBytes(candidate.data(), wanted, length, caseSensitive)) return i;
    }
    return -1;
}

int StringList::FindReference(Reference reference) const {
    for (int i = 0; i < Count(); ++i)
        if (entries_[i].reference == reference) return i;
    return -1;
}

void StringList::Sort() {
    // std::string compares through char_traits<char>, which orders bytes as
    // unsigned char: the same order as strcmp.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.text < b.text; });
}

void StringList::Split(const char* text, char separator) {
    // Build aside and swap in, so `text` may point into this list's own texts.
    std::vector<Entry> pieces;
    if (text && *text) {
        const char* start = text;
        for (;;) {
            const char* end = separator ? std::strchr(start, separator) : nullptr;
            if (!end) {
                pieces.push_back(Entry{std::string(start), 0});
                break;
            }
            pieces.push_back(Entry{std::string(start, end), 0});
            start = end + 1;
        }
    }
    entries_.swap(pieces);
}

void StringList::Join(char separator, std::string& out) const {
    out.clear();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (i) out.push_back(separator);
        out += entries_[i].text;
    }
}

std::string StringList::Join(char separator) const {
    std::string out;
    Join(separator, out);
    return out;
}

std::size_t StringList::Join(char separator, char* buffer, std::size_t size) const {
    std::size_t total = 0;  // length of the full joined text
    std::size_t written = 0;
    const std::size_t room = (buffer && size) ? size - 1 : 0;
    auto put = [&](const char* bytes, std::size_t n) {
        if (written < room) {
            const std::size_t take = std::min(n, room - written);
            std::memcpy(buffer + written, bytes, take);
            written += take;
        }
        total += n;
    };
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (i) put(&separator, 1);
        put(entries_[i].text.data(), entries_[i].text.size());
    }
    if (buffer && size) buffer[written] = 0;
    return total;
}

}  // namespace velora
