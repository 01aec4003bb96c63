// A listener of property removals may end the object that owns the property.

#include <gtest/gtest.h>

#include <lyiface/object.h>
#include <velora/event_source.h>
#include <velora/object.h>
#include <velora/property.h>

namespace {

class Ender : public lyiface::ICallback {
public:
    lyiface::IObject* IQuery(std::uint32_t, int) override { return this; }
    void Destroy(int) override {}
    void OnRemoved(lyiface::IRegister*, lyiface::EventRecord*) {
        ++heard;
        if (object) {
            velora::Object* ending = object;
            object = nullptr;
            ending->Destroy(0);
        }
    }
    velora::Object* object = nullptr;
    int heard = 0;
};

}  // namespace

TEST(PropertyRemoval, AListenerMayEndTheOwningObject) {
    velora::Object* cube = velora::Object::Create("Cube");
    velora::Property* temp = cube->CreateProperty("Temp", velora::kDataNumber, velora::kCreateTemporary);
    cube->CreateProperty("Other", velora::kDataNumber);
    Ender ender;
    ender.object = cube;
    cube->PropertyEvents().AddHandler(&ender, static_cast<lyiface::ICallback::Handler>(&Ender::OnRemoved),
                                      velora::kEventPropertyRemoved);
    velora::PlugHandle watch(cube);
    EXPECT_TRUE(cube->RemoveProperty(temp));  // the listener ends the cube meanwhile
    EXPECT_EQ(ender.heard, 1);
    EXPECT_FALSE(watch.Valid());  // and nothing was touched after it went (ASan)
}
