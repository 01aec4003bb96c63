// LyPropertyStringList: a list of texts kept in a host property.

#include <string>

#include <velora/string_list.h>

#include "lysdk/lycomponent.h"
#include "lysdk/lypropertytyped.h"
#include "property/property_access.h"

LYSDK_BEGIN_NAMESPACE

LyPropertyStringList& LyPropertyStringList::Init(LyComponent* owner, const char* name) {
    CreateInternal(owner, name, nullptr, nullptr);
    GetEnumStringList(true);
    return *this;
}

LyStringList* LyPropertyStringList::List() { return GetEnumStringList(false); }

bool LyPropertyStringList::SetString(const char* text) {
    LyStringList* list = List();
    if (!list) return false;  // no host list to take the items
    list->SetString(text, '~');
    return true;
}

const char* LyPropertyStringList::AsString(LyDataAsStringFlag) {
    LyStringList* list = List();
    if (!list) return nullptr;
    // One buffer for every string-list property, apart from the lists' own.
    static std::string buffer;
    buffer = list->AsString('~');
    return buffer.c_str();
}

int LyPropertyStringList::Add(const char* text, Reference reference) {
    LyStringList* list = List();
    return list ? list->Add(text, reference) : -1;
}

void LyPropertyStringList::InsertAt(int index, const char* text, Reference reference) {
    if (LyStringList* list = List()) list->InsertAt(index, text, reference);
}

void LyPropertyStringList::RemoveAt(int index) {
    if (LyStringList* list = List()) list->RemoveAt(index);
}

int LyPropertyStringList::Remove(const char* text) {
    LyStringList* list = List();
    return list ? list->Remove(text) : -1;
}

void LyPropertyStringList::Clear() {
    if (LyStringList* list = List()) list->Clear();
}

const char* LyPropertyStringList::GetAt(int index) {
    LyStringList* list = List();
    return list ? list->GetAt(index) : nullptr;
}

const char* LyPropertyStringList::operator[](int index) { return GetAt(index); }

bool LyPropertyStringList::SetAt(int index, const char* text) {
    LyStringList* list = List();
    return list && list->SetAt(index, text);
}

int LyPropertyStringList::GetCount() {
    LyStringList* list = List();
    return list ? list->GetCount() : 0;
}

LyPropertyStringList::Reference LyPropertyStringList::GetReferenceAt(int index) {
    LyStringList* list = List();
    return list ? list->GetReferenceAt(index) : 0;
}

void LyPropertyStringList::SetReferenceAt(int index, Reference reference) {
    if (LyStringList* list = List()) list->SetReferenceAt(index, reference);
}

int LyPropertyStringList::IndexOf(const char* text) {
    LyStringList* list = List();
    return list ? list->IndexOf(text) : -1;
}

int LyPropertyStringList::Find(const char* text) { return IndexOf(text); }

int LyPropertyStringList::Find(Reference reference) {
    LyStringList* list = List();
    return list ? list->Find(reference) : -1;
}

void LyPropertyStringList::Sort() {
    if (LyStringList* list = List()) list->Sort();
}

LYSDK_END_NAMESPACE
