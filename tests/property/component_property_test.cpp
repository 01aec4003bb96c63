// A component's own properties, flags, namespaces and lists.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/entity.h>
#include <velora/namespace.h>
#include <velora/object.h>
#include <velora/property.h>
#include <velora/trace.h>

#include "common/event_log.h"
#include "common/host_scene.h"
#include "common/trace_capture.h"

using namespace VELSDK2025;

namespace {

class ComponentProperties : public lysdk_test::HostScene {};
class ComponentNamespaces : public lysdk_test::HostScene {};

}  // namespace

TEST_F(ComponentProperties, NameReadsTheHostOrTheLocalName) {
    velora::Object* host = Make("rig:Hand");
    LyComponent* component = LyGetLyComponent(host, true);
    EXPECT_STREQ(static_cast<const char*>(component->Name), "Hand");
    EXPECT_STREQ(static_cast<const char*>(component->LongName), "rig:Hand");
    component->Name = "Foot";
    EXPECT_STREQ(host->LabelName(), "rig:Foot");
    EXPECT_TRUE(component->Name == "Foot");
    component->LongName = "leg:Toe";
    EXPECT_STREQ(host->LabelName(), "leg:Toe");
    EXPECT_EQ(component->PropertyList.Find("Name"), nullptr);  // computed, not listed
    // A long name into a locked namespace is refused with a trace line.
    velora::Namespace* locked = velora::Namespace::Create("vault");
    locked->SetHierarchyContentLocked(true);
    {
        lysdk_test::TraceCapture trace;
        component->LongName = "vault:Toe";
        ASSERT_EQ(trace.size(), 1u);
        EXPECT_EQ(trace.text(0),
                  "Cannot add more objects to the namespace <vault> because it is hierarchy "
                  "content locked.\n");
    }
    EXPECT_STREQ(host->LabelName(), "leg:Toe");
    locked->Destroy(0);

    // A "Name" host property is wrapped directly.
    velora::Object* cube = Make("Cube");
    velora::Property* name = cube->CreateProperty("Name", velora::kDataString);
    name->Parse("Stored");
    LyComponent wrapper(cube);
    EXPECT_EQ(wrapper.Name.GetInternal(), static_cast<IObject*>(name));
    EXPECT_STREQ(static_cast<const char*>(wrapper.Name), "Stored");

    // Without a host object the name is the component's own.
    LyComponent loose;
    velora::AsObject(loose.GetHIObject())->Destroy(0);
    loose.Name = "Loose";
    EXPECT_STREQ(static_cast<const char*>(loose.Name), "Loose");
    EXPECT_STREQ(static_cast<const char*>(loose.LongName), "Loose");
}

TEST_F(ComponentProperties, SelectedAndFolder) {
    velora::Object* host = Make("Cube");
    velora::Object* folderHost = Make("Props", velora::kClassFolder);
    LyComponent* component = LyGetLyComponent(host, true);
    EXPECT_FALSE(static_cast<bool>(component->Selected));
    component->Selected = true;
    EXPECT_TRUE(host->IsSelected());

    EXPECT_EQ(static_cast<LyFolder*>(component->Folder), nullptr);
    auto* folder = reinterpret_cast<LyFolder*>(LyGetLyComponent(folderHost, true));
    component->Folder = folder;
    EXPECT_EQ(folderHost->SrcIndex(host), 0);
    EXPECT_EQ(static_cast<LyFolder*>(component->Folder), folder);
    component->Folder = nullptr;
    EXPECT_EQ(folderHost->SrcCount(), 0);
}

namespace {

class CountingList : public LyPropertyBasicList {
public:
    int GetCount() override { return count; }
    void RemoveAt(int) override {
        ++removals;
        --count;
    }
    int count = 0;
    int removals = 0;
};

}  // namespace

TEST_F(ComponentProperties, ComponentsAndParentsListConnectedObjects) {
    velora::Object* group = Make("Group");
    velora::Object* a = Make("A");
    velora::Object* b = Make("B");
    LyComponent* g = LyGetLyComponent(group, true);
    LyComponent* ca = LyGetLyComponent(a, true);
    LyComponent* cb = LyGetLyComponent(b, true);
    EXPECT_EQ(g->Components.Add(ca), 1);
    EXPECT_EQ(g->Components.Add(cb), 2);
    EXPECT_EQ(g->Components.Add(ca), 2);  // already there: count unchanged
    EXPECT_EQ(g->Components[1], cb);
    EXPECT_EQ(g->Components.Find(cb), 1);
    EXPECT_EQ(ca->Parents.GetCount(), 1);
    EXPECT_EQ(ca->Parents[0], g);
    EXPECT_EQ(g->Components.Remove(ca), 0);
    EXPECT_EQ(g->Components.GetCount(), 1);
    g->Components.RemoveAt(5);  // out of range: ignored
    g->Components.RemoveAll();
    EXPECT_EQ(g->Components.GetCount(), 0);
    EXPECT_EQ(g->Components.Add(nullptr), 0);
    // RemoveAll on an empty list removes nothing.
    CountingList list;
    list.RemoveAll();
    EXPECT_EQ(list.removals, 0);
    list.count = 3;
    list.RemoveAll();
    EXPECT_EQ(list.removals, 3);
}

TEST_F(ComponentProperties, ObjectListPropertiesUseTheHostList) {
    velora::Object* host = Make("Constraint");
    host->CreateProperty("Targets", velora::kDataObject, velora::kCreateConnectable);
    velora::Object* a = Make("A", velora::kClassModel);
    velora::Object* b = Make("B");
    LyComponent* component = LyGetLyComponent(host, true);
    auto* targets = static_cast<LyPropertyListObject*>(component->PropertyList.Find("Targets"));
    ASSERT_NE(targets, nullptr);
    ASSERT_TRUE(targets->IsObjectList());
    targets->SetFilter(velora::kClassModel);
    EXPECT_EQ(targets->GetFilter(), velora::kClassModel);
    EXPECT_EQ(targets->Add(LyGetLyComponent(a, true)), 1);
    EXPECT_EQ(targets->Add(LyGetLyComponent(b, true)), 0);  // filtered out
    EXPECT_EQ(targets->GetCount(), 1);
    EXPECT_EQ(targets->GetAt(0), LyGetLyComponent(a, false));
    EXPECT_EQ(targets->GetSingleConnect(), 0);
    targets->SetSingleConnect(true);
    EXPECT_EQ(targets->GetSingleConnect(), 1);
    targets->Clear();
    EXPECT_EQ(targets->GetCount(), 0);

    LyPropertyListObject unbound;
    EXPECT_EQ(unbound.Add(nullptr), -1);
    EXPECT_EQ(unbound.GetFilter(), -1);
    EXPECT_EQ(unbound.GetSingleConnect(), -1);
    EXPECT_EQ(unbound.GetCount(), 0);
    EXPECT_EQ(unbound.GetAt(0), nullptr);
}

TEST(ComponentFlags, EnableAndDisableTellTheHostUnlessLocked) {
    velora::Object* model = velora::Object::Create("Cube", velora::kClassModel);
    LyComponent* component = LyGetLyComponent(model, true);
    lysdk_test::EventLog listener(velora::MainEntity::Instance().Events(), {velora::kEntityObjectFlagsChanged});
    component->EnableObjectFlags(kLyObjectFlagInDisplaySet);
    EXPECT_TRUE(model->HasObjectFlags(0x8));
    EXPECT_TRUE(velora::MainEntity::Instance().InDisplaySet(model));
    EXPECT_EQ(listener.Count(), 1);
    component->DisableObjectFlags(kLyObjectFlagInDisplaySet);
    EXPECT_FALSE(velora::MainEntity::Instance().InDisplaySet(model));
    EXPECT_EQ(listener.Count(), 2);

    model->SetObjectFlags(model->ObjectFlags() | kLyObjectFlagLocked);
    component->EnableObjectFlags(0x1000);
    EXPECT_FALSE(model->HasObjectFlags(0x1000));
    EXPECT_EQ(listener.Count(), 2);
    model->SetObjectFlags(kLyObjectFlagDeletable);
    model->Destroy(0);
}

TEST_F(ComponentNamespaces, NamesAreCheckedAndCutWithTraceLines) {
    velora::Object* host = Make("Cube");
    LyComponent* component = LyGetLyComponent(host, true);
    {
        lysdk_test::TraceCapture trace;
        EXPECT_FALSE(component->ProcessObjectNamespace(kLyNamespaceAdd, "9bad"));
        EXPECT_FALSE(component->ProcessObjectNamespace(kLyNamespaceReplace, "ok", "bad-name"));
        ASSERT_EQ(trace.size(), 2u);
        EXPECT_EQ(trace.text(0),
                  "Namespace name should only contains alphabet, digit and '_', Can't start "
                  "with digit, operation aborted.\n");
        EXPECT_EQ(trace.text(1),
                  "Replace to name should only contains alphabet, digit and '_', Can't start "
                  "with digit, operation aborted.\n");
    }
    EXPECT_TRUE(component->ProcessObjectNamespace(kLyNamespaceAdd, "rig"));
    EXPECT_STREQ(host->LabelName(), "rig:Cube");
    EXPECT_TRUE(component->ProcessObjectNamespace(kLyNamespaceReplace, "rig", "char"));
    EXPECT_STREQ(host->LabelName(), "char:Cube");
    EXPECT_TRUE(component->ProcessObjectNamespace(kLyNamespaceRemove, "char"));
    EXPECT_STREQ(host->LabelName(), "Cube");

    // The added namespace is cut to 904 characters less the current prefix.
    host->SetLongName("abc:Cube");
    {
        lysdk_test::TraceCapture trace;
        const std::string longName(1000, 'n');
        EXPECT_TRUE(component->ProcessObjectNamespace(kLyNamespaceAdd, longName.c_str()));
        ASSERT_EQ(trace.size(), 1u);
        EXPECT_EQ(trace.text(0),
                  "The namespace to concatenate is too long, it has been truncated!\n");
    }
    EXPECT_EQ(std::string(host->NamespacePart()), std::string(904 - 3, 'n') + ":abc");

    // A longer replacement is cut to the name's length less the prefix plus 905.
    host->SetLongName("ab:Cube");
    {
        lysdk_test::TraceCapture trace;
        const std::string replacement(2000, 'r');
        EXPECT_TRUE(component->ProcessObjectNamespace(kLyNamespaceReplace, "ab", replacement.c_str()));
        ASSERT_EQ(trace.size(), 1u);
        EXPECT_EQ(trace.text(0), "The new namespace is too long, it has been truncated!\n");
    }
    EXPECT_EQ(std::string(host->NamespacePart()), std::string(2 - 2 + 905, 'r'));
}

TEST_F(ComponentNamespaces, LockedNamespacesAndDetachedComponents) {
    velora::Namespace* locked = velora::Namespace::Create("vault");
    locked->SetHierarchyContentLocked(true);
    velora::Object* host = Make("Cube");
    LyComponent* component = LyGetLyComponent(host, true);
    {
        lysdk_test::TraceCapture trace;
        EXPECT_FALSE(component->ProcessNamespaceHierarchy(kLyNamespaceAdd, "vault"));
        ASSERT_EQ(trace.size(), 1u);
        EXPECT_EQ(trace.text(0),
                  "Cannot add/remove objects to/from the namespace <vault> because it is "
                  "hierarchy content locked.\n");
    }
    EXPECT_STREQ(host->LabelName(), "Cube");
    EXPECT_TRUE(component->ProcessNamespaceHierarchy(kLyNamespaceAdd, "free"));
    EXPECT_STREQ(host->LabelName(), "free:Cube");
    locked->Destroy(0);

    LyComponent detached;
    velora::AsObject(detached.GetHIObject())->Destroy(0);
    EXPECT_TRUE(detached.ProcessObjectNamespace(kLyNamespaceAdd, "any"));  // nothing to do
}
