// The property side of host objects: creation, removal and lookup.

#include <algorithm>
#include <cstring>

#include "property/property_table.h"
#include "velora/object.h"
#include "velora/property.h"

namespace velora {

namespace {

bool EqualNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a);
        unsigned char y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
        if (x == 0) return true;
    }
}

}  // namespace

Property* Object::CreateProperty(const char* name, int dataType, std::uint32_t createFlags) {
    const DataType* type = DataType::Get(dataType);
    if (!type || !name || !*name || IsEnding()) return nullptr;
    if (!properties_) properties_ = new PropertyTable();
    if (properties_->byName.Find(name)) return nullptr;
    Property* property = new Property(this, name, type, createFlags);
    properties_->order.push_back(property);
    properties_->byName.Insert(property);
    property->SetOwner(this);
    ModFlags() |= kModSelfProperty;
    return property;
}

bool Object::RemoveProperty(Property* property) {
    if (!property || property->object_ != this) return false;
    if (!property->IsUser() && !property->Definition().IsTemporary()) return false;
    property->Destroy(0);  // Teardown takes it out of the table and tells listeners
    return true;
}

int Object::PropertyCount() const {
    return properties_ ? static_cast<int>(properties_->order.size()) : 0;
}

Property* Object::PropertyAt(int i) const {
    if (!properties_ || i < 0 || i >= static_cast<int>(properties_->order.size())) return nullptr;
    return properties_->order[static_cast<std::size_t>(i)];
}

int Object::PropertyIndex(const Property* property) const {
    if (!properties_ || !property) return -1;
    const auto& order = properties_->order;
    const auto it = std::find(order.begin(), order.end(), property);
    return it == order.end() ? -1 : static_cast<int>(it - order.begin());
}

Property* Object::FindProperty(const char* name) const {
    if (!properties_ || !name) return nullptr;
    return properties_->byName.Find(name);
}

Property* Object::FindPropertyNoCase(const char* name, bool translated) const {
    if (!properties_ || !name) return nullptr;
    for (Property* p : properties_->order) {
        if (EqualNoCase(p->Name(), name)) return p;
        if (translated && EqualNoCase(p->TranslatedName(), name)) return p;
    }
    return nullptr;
}

int Object::MatchProperties(const char* pattern, bool translated, std::vector<Property*>* out) const {
    if (!properties_ || !pattern || !out) return 0;
    int added = 0;
    for (Property* p : properties_->order) {
        if (WildcardMatch(pattern, p->Name()) || (translated && WildcardMatch(pattern, p->TranslatedName()))) {
            out->push_back(p);
            ++added;
        }
    }
    return added;
}

EventSource& Object::PropertyEvents() {
    if (!properties_) {
        if (IsEnding()) {
            // An ending object raises nothing more; don't make a table that
            // nobody would free.
            static auto* silent = new EventSource;
            return *silent;
        }
        properties_ = new PropertyTable();
    }
    return properties_->events;
}

void Object::DetachProperties() {
    if (!properties_) return;
    // The properties end with the plug's owned list right after this; they
    // must not reach back into a table that is going.
    for (Property* p : properties_->order) p->object_ = nullptr;
    if (properties_->raising > 0)
        properties_->orphaned = true;  // the raising property frees it
    else
        delete properties_;
    properties_ = nullptr;
}

// Wildcards: iterative with one backtrack point (the last '*'), so the cost
// stays at most pattern length times text length whatever the pattern.
bool WildcardMatch(const char* pattern, const char* text) {
    if (!pattern || !text) return false;
    auto fold = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    };
    const char* p = pattern;
    const char* t = text;
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*t) {
        if (*p == '*') {
            star = p++;
            resume = t;
        } else if (*p && (*p == '?' || fold(*p) == fold(*t))) {
            ++p;
            ++t;
        } else if (star) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == 0;
}

bool HasWildcards(const char* pattern) {
    return pattern && std::strpbrk(pattern, "*?") != nullptr;
}

}  // namespace velora
