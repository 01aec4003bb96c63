#ifndef VELORA_STRING_LIST_H
#define VELORA_STRING_LIST_H

// The host's string list: an ordered list of entries, each a text paired
// with a 64-bit reference that the caller chooses (often an object handle).
// Entries are indexed from 0.
//
// Rules shared by every operation:
// - A null text argument is read as the empty text, for writing and for
//   searching alike, so a null never reaches the stored entries.
// - An index outside the list makes the call a no-op with a neutral answer
//   (false, null, 0 or -1); nothing is ever read or written out of range.
// - Text is bytes: case folding in searches touches only ASCII letters and
//   ordering compares unsigned bytes, as strcmp does.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "velora/export.h"

namespace velora {

class VELORA_API StringList {
public:
    using Reference = std::uint64_t;

    StringList() = default;
    StringList(const StringList& other) = default;
    StringList& operator=(const StringList& other) = default;
    // Virtual so that a list allocated by one side can be ended by the other
    // through the base pointer alone.
    virtual ~StringList();

    int Count() const { return static_cast<int>(entries_.size()); }

    /// Appends an entry; returns its index.
    int Add(const char* text, Reference reference);
    /// Inserts before `index`; `index == Count()` appends. False (and no
    /// change) for an index outside [0, Count()].
    bool Insert(int index, const char* text, Reference reference);
    /// False when there is no entry `index`.
    bool RemoveAt(int index);
    void Clear() { entries_.clear(); }

    /// The text of entry `index`, or null. The pointer stays valid until the
    /// entry is changed or removed, or the list is reordered or reassigned.
    const char* TextAt(int index) const;
    /// Replaces the text of entry `index`; false when there is no such entry.
    bool SetTextAt(int index, const char* text);
    /// The reference of entry `index`, or 0.
    Reference ReferenceAt(int index) const;
    /// Replaces the reference of entry `index`; false when there is none.
    bool SetReferenceAt(int index, Reference reference);

    /// Index of the first entry whose text matches, or -1.
    /// `caseSensitive`: bytes must be equal; otherwise ASCII letters match
    /// regardless of case. `prefix`: the entry matches when its text starts
    /// with `text`; otherwise the whole text must match.
    int FindText(const char* text, bool caseSensitive, bool prefix) const;
    /// Index of the first entry whose reference equals `reference`, or -1.
    int FindReference(Reference reference) const;

    /// Orders the entries by text, ascending in unsigned byte order (a proper
    /// prefix sorts before its extensions). The sort is stable: entries with
    /// equal texts keep their relative order, and references move with their
    /// texts.
    void Sort();

    /// Replaces the whole content by the pieces of `text` between separators,
    /// each with reference 0. n separators give n + 1 entries, empty pieces
    /// included ("a,,b" gives "a", "", "b"; "a," gives "a", ""), except that
    /// an empty or null text gives an empty list. A NUL separator never
    /// occurs inside a text, so the whole text becomes one entry.
    void Split(const char* text, char separator);

    /// The texts joined with `separator` between them (none before the first
    /// or after the last). An empty list gives the empty text, as does a list
    /// holding one empty text, so Split(Join()) restores every list except
    /// that one and lists whose texts contain the separator.
    std::string Join(char separator) const;
    /// Writes the joined text into `buffer` (at most `size` bytes, always
    /// NUL-terminated when `size` > 0, truncated if needed) and returns the
    /// length of the full joined text, so a caller may size a second call.
    std::size_t Join(char separator, char* buffer, std::size_t size) const;
    /// Replaces the content of `out` by the joined text.
    void Join(char separator, std::string& out) const;

private:
    struct Entry {
        std::string text;
        Reference reference;
    };

    bool Valid(int index) const { return index >= 0 && index < Count(); }

    std::vector<Entry> entries_;
};

}  // namespace velora

#endif  // VELORA_STRING_LIST_H
