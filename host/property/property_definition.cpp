// The definition of a host property: attributes, external handlers, range,
// enumeration list, connection filter and translated name.

#include "velora/property_definition.h"

#include <memory>
#include <string>

#include "velora/plug.h"
#include "velora/string_list.h"

namespace velora {

// What most properties never use lives here, made on first use.
struct PropertyDefinition::Extras {
    std::string translated;
    std::unique_ptr<StringList> enumList;
    unsigned enumVersion = 0;
    IObject* handlerObject = nullptr;
    PropertyHandler produce = nullptr;
    PropertyHandler take = nullptr;
    double min = 0.0;
    double max = 0.0;
    int filterClass = 0;
};

PropertyDefinition::~PropertyDefinition() { delete extras_; }

PropertyDefinition::Extras& PropertyDefinition::Ext() {
    if (!extras_) extras_ = new Extras();
    return *extras_;
}

void PropertyDefinition::SetExternalHandlers(IObject* object, PropertyHandler produce, PropertyHandler take) {
    Extras& e = Ext();
    e.handlerObject = object;
    e.produce = produce;
    e.take = take;
    attributes_ |= kAttrExternal;
}

void PropertyDefinition::ClearExternalHandlers() {
    if (extras_) {
        extras_->handlerObject = nullptr;
        extras_->produce = nullptr;
        extras_->take = nullptr;
    }
    attributes_ &= ~kAttrExternal;
}

IObject* PropertyDefinition::HandlerObject() const { return extras_ ? extras_->handlerObject : nullptr; }
PropertyHandler PropertyDefinition::ProduceHandler() const { return extras_ ? extras_->produce : nullptr; }
PropertyHandler PropertyDefinition::TakeHandler() const { return extras_ ? extras_->take : nullptr; }

void PropertyDefinition::Call(bool produce) const {
    if (!extras_) return;
    if (PropertyHandler handler = produce ? extras_->produce : extras_->take) handler(extras_->handlerObject);
}

double PropertyDefinition::Min() const { return extras_ ? extras_->min : 0.0; }
double PropertyDefinition::Max() const { return extras_ ? extras_->max : 0.0; }

void PropertyDefinition::SetMin(double value, bool clamp) {
    Ext().min = value;
    SetAttribute(kAttrMinClamp, clamp);
}

void PropertyDefinition::SetMax(double value, bool clamp) {
    Ext().max = value;
    SetAttribute(kAttrMaxClamp, clamp);
}

bool PropertyDefinition::HasEnumList() const { return extras_ && extras_->enumList; }

StringList* PropertyDefinition::EnumList(bool create) {
    if (create && !HasEnumList()) Ext().enumList = std::make_unique<StringList>();
    return extras_ ? extras_->enumList.get() : nullptr;
}

const StringList* PropertyDefinition::EnumList() const { return extras_ ? extras_->enumList.get() : nullptr; }

const char* PropertyDefinition::EnumText(int i) const {
    const StringList* list = EnumList();
    return list ? list->TextAt(i) : nullptr;
}

unsigned PropertyDefinition::EnumListVersion() const { return extras_ ? extras_->enumVersion : 0u; }

void PropertyDefinition::CountEnumListChange() { ++Ext().enumVersion; }

int PropertyDefinition::ConnectionFilter() const { return extras_ ? extras_->filterClass : 0; }

void PropertyDefinition::SetConnectionFilter(int classId) {
    if (classId == 0 && !extras_) return;
    Ext().filterClass = classId;
}

bool PropertyDefinition::AcceptsSource(const Plug* source) const {
    if (!source) return false;
    const int filter = ConnectionFilter();
    return filter == 0 || source->IsA(filter);
}

const char* PropertyDefinition::Translation() const {
    return extras_ && !extras_->translated.empty() ? extras_->translated.c_str() : nullptr;
}

void PropertyDefinition::SetTranslation(const char* name) {
    if (!name || !*name) {
        if (extras_) extras_->translated.clear();
        return;
    }
    Ext().translated = name;
}

}  // namespace velora
