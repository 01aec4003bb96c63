#include <string>
#include <vector>

#include <velora/event_source.h>

#include "host/host_objects.h"

using velora::Object;
using velora::Plug;
using velora::Property;

namespace {

class PropertyLinks : public host_test::HostObjects {};

TEST_F(PropertyLinks, AnsweredInterfacesAndAnEmptyObject) {
    Object* cube = Make("Cube");
    Property* p = cube->CreateProperty("Size", velora::kDataNumber);
    EXPECT_EQ(p->IQuery(lyiface::kIdSelf), p);
    EXPECT_EQ(p->IQuery(lyiface::kIdPlug), p);
    EXPECT_EQ(p->IQuery(lyiface::kIdWrapperHolder), nullptr);
    EXPECT_EQ(p->IQuery(lyiface::kIdFullObject), nullptr);
    EXPECT_EQ(velora::AsProperty(p), p);
    EXPECT_EQ(velora::AsProperty(cube), nullptr);
    EXPECT_EQ(velora::AsProperty(nullptr), nullptr);
    EXPECT_EQ(velora::AsObject(p), nullptr);
    EXPECT_TRUE(p->IsA(velora::kClassProperty));
    EXPECT_TRUE(p->IsA(velora::kClassPlug));
    EXPECT_FALSE(p->IsA(velora::kClassObject));
    // An object without properties answers empty.
    Object* empty = Make("Empty");
    EXPECT_EQ(empty->PropertyAt(0), nullptr);
    EXPECT_EQ(empty->PropertyIndex(nullptr), -1);
    EXPECT_EQ(empty->FindPropertyNoCase("x", true), nullptr);
    std::vector<Property*> out;
    EXPECT_EQ(empty->MatchProperties("*", true, &out), 0);
}

TEST_F(PropertyLinks, ReferenceFollowsItsTargetUntilTheTargetEnds) {
    Object* cube = Make("Cube");
    Object* light = Make("Light");
    Property* ref = cube->CreateProperty("Target", velora::kDataReference);
    Property* intensity = light->CreateProperty("Intensity", velora::kDataNumber, velora::kCreateUser);
    EXPECT_EQ(ref->Links().Referenced(), nullptr);
    ASSERT_TRUE(ref->Links().SetReferenced(intensity));
    EXPECT_EQ(ref->Links().Referenced(), intensity);
    Property* raw = nullptr;
    ASSERT_TRUE(ref->GetRaw(&raw));
    EXPECT_EQ(raw, intensity);
    std::string text;
    ASSERT_TRUE(ref->Format(&text));
    EXPECT_EQ(text, "Light.Intensity");
    EXPECT_FALSE(ref->Links().SetReferenced(ref));  // not itself
    EXPECT_EQ(ref->Links().Referenced(), intensity);
    EXPECT_FALSE(ref->Parse("Light.Intensity"));  // no lookup by text
    EXPECT_EQ(ref->Links().Referenced(), intensity);
    ASSERT_TRUE(light->RemoveProperty(intensity));
    EXPECT_EQ(ref->Links().Referenced(), nullptr);
    ASSERT_TRUE(ref->GetRaw(&raw));
    EXPECT_EQ(raw, nullptr);
    ASSERT_TRUE(ref->Format(&text));
    EXPECT_EQ(text, "");
    // Empty text clears it; the target's object ending empties it too.
    Object* doomed = Object::Create("Doomed");
    ASSERT_TRUE(ref->Links().SetReferenced(cube->CreateProperty("Other", velora::kDataNumber)));
    ASSERT_TRUE(ref->Parse(""));
    EXPECT_EQ(ref->Links().Referenced(), nullptr);
    ASSERT_TRUE(ref->Links().SetReferenced(doomed->CreateProperty("X", velora::kDataNumber)));
    doomed->Destroy(0);
    EXPECT_EQ(ref->Links().Referenced(), nullptr);
    // Only reference properties refer.
    EXPECT_FALSE(cube->CreateProperty("Num", velora::kDataNumber)->Links().SetReferenced(ref));
}

TEST_F(PropertyLinks, ObjectPropertyHoldsOneObject) {
    Object* cube = Make("Cube");
    Object* a = Make("A");
    Object* b = Make("B");
    Property* parent = cube->CreateProperty("Parent", velora::kDataObject);
    EXPECT_FALSE(parent->Definition().IsList());
    EXPECT_TRUE(parent->Definition().IsSingleConnect());
    lyiface::IObject* in = a;
    ASSERT_TRUE(parent->SetRaw(&in));
    lyiface::IObject* out = nullptr;
    ASSERT_TRUE(parent->GetRaw(&out));
    EXPECT_EQ(out, static_cast<lyiface::IObject*>(a));
    std::string text;
    ASSERT_TRUE(parent->Format(&text));
    EXPECT_EQ(text, "A");
    in = b;  // writing another object replaces it
    ASSERT_TRUE(parent->SetRaw(&in));
    EXPECT_EQ(parent->Links().Count(), 1);
    EXPECT_EQ(parent->Links().At(0), b);
    EXPECT_EQ(a->DstCount(), 0);
    EXPECT_FALSE(parent->Links().Add(a));  // single-connect: no second source
    EXPECT_FALSE(velora::Connect(a, parent));
    EXPECT_EQ(parent->Links().Count(), 1);
    EXPECT_FALSE(parent->Parse("A"));
    ASSERT_TRUE(parent->Parse(""));
    EXPECT_EQ(parent->Links().Count(), 0);
    // The connected object ending empties the value.
    in = b;
    ASSERT_TRUE(parent->SetRaw(&in));
    b->Destroy(0);
    ASSERT_TRUE(parent->GetRaw(&out));
    EXPECT_EQ(out, nullptr);
}

TEST_F(PropertyLinks, ObjectListsFilterByClassAndKeepTheirRules) {
    Object* scene = Make("Scene");
    Object* model = Make("Cube", velora::kClassModel);
    Object* camera = Make("Cam", velora::kClassCamera);
    Object* take = Make("Take 001", velora::kClassTake);
    Property* models = scene->CreateProperty("Models", velora::kDataObject, velora::kCreateConnectable);
    ASSERT_TRUE(models->Definition().IsList());
    ASSERT_TRUE(models->Links().IsObjectList());
    EXPECT_FALSE(models->Definition().IsSingleConnect());
    models->Definition().SetConnectionFilter(velora::kClassModel);
    EXPECT_EQ(models->Definition().ConnectionFilter(), velora::kClassModel);
    EXPECT_TRUE(models->Links().Add(model));
    EXPECT_TRUE(models->Links().Add(camera));  // a camera is a model
    EXPECT_FALSE(models->Links().Add(take));
    EXPECT_FALSE(velora::Connect(take, models));  // the filter holds for every way in
    EXPECT_FALSE(models->Links().Add(nullptr));
    EXPECT_FALSE(models->Links().Add(model));  // already listed
    ASSERT_EQ(models->Links().Count(), 2);
    EXPECT_EQ(models->Links().At(0), model);
    EXPECT_EQ(models->Links().At(1), camera);
    EXPECT_EQ(models->Links().At(2), nullptr);
    EXPECT_EQ(models->Links().Find(camera), 1);
    EXPECT_EQ(models->Links().Find(take), -1);
    EXPECT_FALSE(models->Links().SetAt(0, take));
    EXPECT_EQ(models->Links().At(0), model);
    Object* other = Make("Sphere", velora::kClassModel);
    EXPECT_TRUE(models->Links().SetAt(0, other));
    EXPECT_EQ(models->Links().At(0), other);
    EXPECT_EQ(model->DstCount(), 0);
    EXPECT_TRUE(models->Links().Insert(0, model));
    EXPECT_EQ(models->Links().At(0), model);
    EXPECT_EQ(models->Links().Count(), 3);
    EXPECT_TRUE(models->Links().RemoveAt(1));
    EXPECT_EQ(models->Links().Find(other), -1);
    EXPECT_FALSE(models->Links().RemoveAt(5));
    models->Links().Clear();
    EXPECT_EQ(models->Links().Count(), 0);
    // No filter: any class.
    models->Definition().SetConnectionFilter(0);
    EXPECT_TRUE(models->Links().Add(take));
    // Single-connect lists take one object; replacing keeps one.
    models->Links().Clear();
    models->Definition().SetAttribute(velora::kAttrSingleConnect, true);
    EXPECT_TRUE(models->Links().Add(model));
    EXPECT_FALSE(models->Links().Add(camera));
    EXPECT_FALSE(models->Links().Insert(0, camera));
    EXPECT_TRUE(models->Links().SetAt(0, camera));
    EXPECT_EQ(models->Links().Count(), 1);
    EXPECT_EQ(models->Links().At(0), camera);
    models->Definition().SetAttribute(velora::kAttrSingleConnect, false);
    EXPECT_TRUE(models->Links().Add(model));
    EXPECT_EQ(models->Links().Count(), 2);
    // Read-only lists and properties that hold no objects take nothing.
    models->ModifyFlag(velora::kPropertyReadOnly, true);
    EXPECT_FALSE(models->Links().Add(other));
    Property* number = scene->CreateProperty("N", velora::kDataNumber);
    EXPECT_FALSE(number->Links().Add(model));
    EXPECT_EQ(number->Links().Count(), 0);
    EXPECT_EQ(number->Links().At(0), nullptr);
    EXPECT_EQ(number->Links().Find(model), -1);
}

TEST_F(PropertyLinks, PropertyFilterAppliesToPropertySources) {
    Object* material = Make("Mat");
    Object* texture = Make("Tex", velora::kClassTexture);
    Object* model = Make("Cube", velora::kClassModel);
    Property* diffuse = material->CreateProperty("Diffuse", velora::kDataColor, velora::kCreateConnectable);
    diffuse->Definition().SetAttribute(velora::kAttrTextureConnectable | velora::kAttrTextureShown, true);
    diffuse->ModifyFlag(velora::kPropertyTextureConnected, true);
    diffuse->Definition().SetConnectionFilter(velora::kClassTexture);
    EXPECT_TRUE(diffuse->Definition().AcceptsSource(texture));
    EXPECT_FALSE(diffuse->Definition().AcceptsSource(model));
    EXPECT_FALSE(diffuse->Definition().AcceptsSource(nullptr));
    EXPECT_FALSE(velora::Connect(model, diffuse));
    EXPECT_TRUE(velora::Connect(texture, diffuse));
    EXPECT_EQ(diffuse->SrcCount(), 1);
}

// Records the property-removed events it hears.
class Listener : public lyiface::ICallback {
public:
    lyiface::IObject* IQuery(std::uint32_t id, int) override { return id == lyiface::kIdSelf ? this : nullptr; }
    void Destroy(int) override {}

    void OnEvent(lyiface::IRegister* source, lyiface::EventRecord* event) {
        sources.push_back(source);
        types.push_back(event->type);
        subjects.push_back(event->subject);
        if (auto* p = velora::AsProperty(event->subject)) {
            names.emplace_back(p->Name());
            stillListed.push_back(owner && owner->FindProperty(p->Name()) == p);
        }
        if (removeSelfFrom) removeSelfFrom->RemoveHandler(this, Handler(), event->type);
    }
    static Handler Handler() { return static_cast<lyiface::ICallback::Handler>(&Listener::OnEvent); }

    Object* owner = nullptr;
    velora::EventSource* removeSelfFrom = nullptr;
    std::vector<lyiface::IRegister*> sources;
    std::vector<int> types;
    std::vector<lyiface::IObject*> subjects;
    std::vector<std::string> names;
    std::vector<bool> stillListed;
};

TEST_F(PropertyLinks, RemovalRaisesEvent10WithThePropertyAsSubject) {
    Object* cube = Make("Cube");
    Property* user = cube->CreateProperty("MyProp", velora::kDataNumber, velora::kCreateUser);
    Property* builtin = cube->CreateProperty("Builtin", velora::kDataNumber);
    Listener listener;
    listener.owner = cube;
    velora::EventSource& events = cube->PropertyEvents();
    events.AddHandler(&listener, Listener::Handler(), velora::kEventPropertyRemoved);
    EXPECT_EQ(events.Count(), 1);
    EXPECT_FALSE(cube->RemoveProperty(builtin));
    EXPECT_TRUE(listener.types.empty());  // refused: nothing raised
    ASSERT_TRUE(cube->RemoveProperty(user));
    ASSERT_EQ(listener.types.size(), 1u);
    EXPECT_EQ(listener.types[0], 10);
    EXPECT_EQ(listener.subjects[0], static_cast<lyiface::IObject*>(user));
    EXPECT_EQ(listener.sources[0], &events);
    EXPECT_EQ(listener.names[0], "MyProp");  // still whole while heard
    EXPECT_FALSE(listener.stillListed[0]);   // but out of the lookups
    // The host itself may end any property: that is announced too.
    builtin->Destroy(0);
    ASSERT_EQ(listener.subjects.size(), 2u);
    EXPECT_EQ(listener.subjects[1], static_cast<lyiface::IObject*>(builtin));
    EXPECT_TRUE(events.RemoveHandler(&listener, Listener::Handler(), velora::kEventPropertyRemoved));
    EXPECT_EQ(events.Count(), 0);
}

TEST_F(PropertyLinks, EndingObjectTakesItsPropertiesWithoutEvents) {
    Object* cube = Object::Create("Cube");
    Property* a = cube->CreateProperty("A", velora::kDataNumber, velora::kCreateUser);
    Property* b = cube->CreateProperty("B", velora::kDataString);
    ASSERT_TRUE(b->Parse("owned text"));
    velora::PlugHandle ha(a), hb(b);
    Listener listener;
    cube->PropertyEvents().AddHandler(&listener, Listener::Handler(), velora::kEventPropertyRemoved);
    EXPECT_EQ(cube->OwnedCount(), 2);
    cube->Destroy(0);
    EXPECT_FALSE(ha.Valid());
    EXPECT_FALSE(hb.Valid());
    EXPECT_TRUE(listener.types.empty());
}

// Event source rules, independent of properties.
TEST(EventSource, CallsInOrderBySubTypeAndSurvivesRemovalDuringARaise) {
    velora::EventSource source;
    Listener first, second, third;
    source.AddHandler(&first, Listener::Handler(), 10);
    source.AddHandler(&second, Listener::Handler(), 10, 3);
    source.AddHandler(&third, Listener::Handler(), 11);
    source.AddHandler(nullptr, Listener::Handler(), 10);  // ignored
    EXPECT_EQ(source.Count(), 3);
    lyiface::EventRecord plain(10, 0, nullptr);
    EXPECT_EQ(source.Raise(plain), 1);  // subType 3 only hears subType 3
    lyiface::EventRecord sub(10, 3, nullptr);
    EXPECT_EQ(source.Raise(sub), 2);
    EXPECT_EQ(first.types.size(), 2u);
    EXPECT_EQ(second.types.size(), 1u);
    EXPECT_TRUE(third.types.empty());
    // A handler removing itself during a raise is not called again.
    first.removeSelfFrom = &source;
    EXPECT_EQ(source.Raise(plain), 1);
    EXPECT_EQ(source.Raise(plain), 0);
    EXPECT_EQ(source.Count(), 2);
    EXPECT_FALSE(source.RemoveHandler(&first, Listener::Handler(), 10));
    EXPECT_EQ(source.RemoveAll(&second), 1);
    EXPECT_EQ(source.Count(), 1);
    EXPECT_EQ(source.IQuery(lyiface::kIdSelf), &source);
    EXPECT_EQ(source.IQuery(lyiface::kIdPlug), nullptr);
}

// Removes a second property from inside the event of the first.
class CascadeListener : public Listener {
public:
    void OnCascade(lyiface::IRegister*, lyiface::EventRecord* event) {
        ++heard;
        if (velora::Property* next = owner ? owner->FindProperty("Second") : nullptr) owner->RemoveProperty(next);
        (void)event;
    }
    int heard = 0;
};

TEST_F(PropertyLinks, RemovingAnotherPropertyFromTheEventIsSafe) {
    Object* cube = Make("Cube");
    cube->CreateProperty("First", velora::kDataNumber, velora::kCreateUser);
    cube->CreateProperty("Second", velora::kDataNumber, velora::kCreateUser);
    cube->CreateProperty("Third", velora::kDataNumber);
    CascadeListener listener;
    listener.owner = cube;
    cube->PropertyEvents().AddHandler(&listener,
                                      static_cast<lyiface::ICallback::Handler>(&CascadeListener::OnCascade),
                                      velora::kEventPropertyRemoved);
    ASSERT_TRUE(cube->RemoveProperty(cube->FindProperty("First")));
    EXPECT_EQ(listener.heard, 2);
    EXPECT_EQ(cube->PropertyCount(), 1);
    EXPECT_STREQ(cube->PropertyAt(0)->Name(), "Third");
}

}  // namespace
