#ifndef LYSDK_LYSTRINGLIST_H
#define LYSDK_LYSTRINGLIST_H

// LyStringList: an ordered list of texts, each paired with a 64-bit
// reference the caller chooses (often an object handle). The entries live in
// a string list of the host; this class owns that list and forwards to it.
//
// Indices run from 0. An index outside the list is harmless: reads give a
// neutral answer (null text, reference 0, false) and writes do nothing.
// A null text is stored and searched as the empty text.

#include <cstdint>

#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

/// The host's string list behind a LyStringList. Its definition belongs to
/// the host; plug-ins only pass the pointer on to library calls that take one.
class LyHostStringList;

class LYSDK_API LyStringList {
public:
    /// The value paired with each text.
    using Reference = std::uint64_t;

    LyStringList();
    /// The entries of `text` split at `separator` (see SetString).
    LyStringList(const char* text, char separator);
    LyStringList(const LyStringList& other);
    ~LyStringList();
    LyStringList& operator=(const LyStringList& other);

    /// Appends; returns the new entry's index.
    int Add(const char* text, Reference reference = 0);
    /// Inserts before `index`; GetCount() appends.
    void InsertAt(int index, const char* text, Reference reference = 0);
    void RemoveAt(int index);
    /// Removes the first entry whose text equals `text` exactly; returns the
    /// index it had, or -1 (the list is then unchanged).
    int Remove(const char* text);
    void Clear();
    int GetCount() const;

    /// The text of entry `index`, or null. Valid until that entry changes or
    /// the list is reordered.
    const char* GetAt(int index) const;
    const char* operator[](int index) const;
    /// Replaces the text of entry `index`; false when there is no such entry.
    bool SetAt(int index, const char* text);
    Reference GetReferenceAt(int index) const;
    void SetReferenceAt(int index, Reference reference);

    /// Index of the first entry whose text matches, or -1. `caseSensitive`
    /// false lets ASCII letters match in either case; `prefix` true matches
    /// entries that start with `text` rather than equal it.
    int Find(const char* text, bool caseSensitive, bool prefix) const;
    /// Find(text, true, false): the first entry whose text equals `text`.
    int IndexOf(const char* text) const;
    /// Index of the first entry whose reference equals `reference`, or -1.
    int Find(Reference reference) const;

    /// Orders the entries by text in byte order, keeping entries with equal
    /// texts in their previous order; references move with their texts.
    void Sort();

    /// Replaces the content by the pieces of `text` between separators, each
    /// with reference 0; empty pieces are kept, but an empty or null text
    /// gives an empty list. Always true.
    bool SetString(const char* text, char separator = '~');
    /// The texts joined with `separator`. The text lives in one buffer shared
    /// by every list and thread and is overwritten by the next AsString call
    /// on any list: copy it to keep it.
    const char* AsString(char separator = '~') const;

    /// The host list, for library calls that fill or read one.
    LyHostStringList* GetInternal() const;

protected:
    /// For views over a host list owned elsewhere: no list is created; the
    /// derived class sets mList and clears it again before this destructor.
    struct NoHostList {};
    explicit LyStringList(NoHostList) : mList(nullptr) {}

    LyHostStringList* mList;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYSTRINGLIST_H
