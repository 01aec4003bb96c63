// A listener of property removals may end the object that owns the property.

#include <gtest/gtest.h>

#include <velora/event_source.h>
#include <velora/object.h>
#include <velora/property.h>

#include "common/event_log.h"

TEST(PropertyRemoval, AListenerMayEndTheOwningObject) {
    velora::Object* cube = velora::Object::Create("Cube");
    velora::Property* temp = cube->CreateProperty("Temp", velora::kDataNumber, velora::kCreateTemporary);
    cube->CreateProperty("Other", velora::kDataNumber);
    lysdk_test::EventLog ender;
    ender.then = [&cube](lyiface::EventRecord*) {
        if (velora::Object* ending = cube) {
            cube = nullptr;
            ending->Destroy(0);
        }
    };
    cube->PropertyEvents().AddHandler(&ender, ender.Fn(), velora::kEventPropertyRemoved);
    velora::PlugHandle watch(cube);
    EXPECT_TRUE(cube->RemoveProperty(temp));  // the listener ends the cube meanwhile
    EXPECT_EQ(ender.Count(), 1);
    EXPECT_FALSE(watch.Valid());  // and nothing was touched after it went (ASan)
}
