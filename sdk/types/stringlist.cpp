#include "lysdk/lystringlist.h"

#include <new>
#include <string>

#include "types/stringlist_access.h"

LYSDK_BEGIN_NAMESPACE

namespace {

// Allocation failure leaves the list without a host list; every operation
// then answers as for an empty list instead of stopping the process.
LyHostStringList* NewHostList() {
    return __LyOpaqueStringList(new (std::nothrow) velora::StringList);
}

}  // namespace

LyStringList::LyStringList() : mList(NewHostList()) {}

LyStringList::LyStringList(const char* text, char separator) : mList(NewHostList()) {
    SetString(text, separator);
}

LyStringList::LyStringList(const LyStringList& other) : mList(NewHostList()) { *this = other; }

LyStringList::~LyStringList() {
    // The host list's destructor is virtual; ending it through the base
    // pointer is the host's own way of destroying it.
    delete __LyHostStringList(mList);
    mList = nullptr;
}

LyStringList& LyStringList::operator=(const LyStringList& other) {
    if (this == &other) return *this;
    velora::StringList* to = __LyHostStringList(mList);
    const velora::StringList* from = __LyHostStringList(other.mList);
    if (to && from)
        *to = *from;
    else if (to)
        to->Clear();
    return *this;
}

int LyStringList::Add(const char* text, Reference reference) {
    velora::StringList* list = __LyHostStringList(mList);
    return list ? list->Add(text, reference) : -1;
}

void LyStringList::InsertAt(int index, const char* text, Reference reference) {
    if (velora::StringList* list = __LyHostStringList(mList)) list->Insert(index, text, reference);
}

void LyStringList::RemoveAt(int index) {
    if (velora::StringList* list = __LyHostStringList(mList)) list->RemoveAt(index);
}

int LyStringList::Remove(const char* text) {
    const int index = IndexOf(text);
    if (index >= 0) RemoveAt(index);
    return index;
}

void LyStringList::Clear() {
    if (velora::StringList* list = __LyHostStringList(mList)) list->Clear();
}

int LyStringList::GetCount() const {
    const velora::StringList* list = __LyHostStringList(mList);
    return list ? list->Count() : 0;
}

const char* LyStringList::GetAt(int index) const {
    const velora::StringList* list = __LyHostStringList(mList);
    return list ? list->TextAt(index) : nullptr;
}

const char* LyStringList::operator[](int index) const { return GetAt(index); }

bool LyStringList::SetAt(int index, const char* text) {
    velora::StringList* list = __LyHostStringList(mList);
    return list && list->SetTextAt(index, text);
}

LyStringList::Reference LyStringList::GetReferenceAt(int index) const {
    const velora::StringList* list = __LyHostStringList(mList);
    return list ? list->ReferenceAt(index) : 0;
}

void LyStringList::SetReferenceAt(int index, Reference reference) {
    if (velora::StringList* list = __LyHostStringList(mList)) list->SetReferenceAt(index, reference);
}

int LyStringList::Find(const char* text, bool caseSensitive, bool prefix) const {
    const velora::StringList* list = __LyHostStringList(mList);
    return list ? list->FindText(text, caseSensitive, prefix) : -1;
}

int LyStringList::IndexOf(const char* text) const { return Find(text, true, false); }

int LyStringList::Find(Reference reference) const {
    const velora::StringList* list = __LyHostStringList(mList);
    return list ? list->FindReference(reference) : -1;
}

void LyStringList::Sort() {
    if (velora::StringList* list = __LyHostStringList(mList)) list->Sort();
}

bool LyStringList::SetString(const char* text, char separator) {
    if (velora::StringList* list = __LyHostStringList(mList)) list->Split(text, separator);
    return true;
}

const char* LyStringList::AsString(char separator) const {
    // One buffer for the whole library: the returned text is only valid until
    // the next call, on any list. Its capacity is kept between calls, so
    // repeated joins of similar lists do not allocate.
    static std::string buffer;
    buffer.clear();
    if (const velora::StringList* list = __LyHostStringList(mList)) list->Join(separator, buffer);
    return buffer.c_str();
}

LyHostStringList* LyStringList::GetInternal() const { return mList; }

LYSDK_END_NAMESPACE
