// Sleeping, byte order and the headless message boxes.

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "services/services_fixture.h"

using namespace VELSDK2025;
using services_test::ServiceScene;
using services_test::TraceLog;
using velora::MessageBoxAnswer;
using velora::MessageBoxes;

TEST(Platform, SleepWaitsAtLeastTheTimeAskedAndOnlyBigEndianValuesAreSwapped) {
    const auto start = std::chrono::steady_clock::now();
    LySleep(30);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    std::uint16_t big = 0x1234;
    LyBigEndianToNative(big);
    EXPECT_EQ(big, 0x3412);
    const unsigned char bytes[2] = {0xAB, 0xCD};  // 0xABCD as a file stores it big-endian
    std::uint16_t read;
    std::memcpy(&read, bytes, 2);
    LyBigEndianToNative(read);
    EXPECT_EQ(read, 0xABCD);
    std::uint16_t little = 0x1234;
    LyLittleEndianToNative(little);
    EXPECT_EQ(little, 0x1234);
}

class MessageBox : public ServiceScene {};

TEST_F(MessageBox, TheDefaultPolicyAnswersTheDefaultButtonAndTracesTheBox) {
    TraceLog log;
    EXPECT_EQ(LyMessageBox("Svc title", "Svc message", "OK", "Cancel", nullptr, 2), 2);
    ASSERT_EQ(log.size(), 1u);
    const std::string text = log.lines()[0].text;
    EXPECT_NE(text.find("Svc title"), std::string::npos);
    EXPECT_NE(text.find("Svc message"), std::string::npos);
    EXPECT_NE(text.find("[1] OK [2] Cancel (default 2)"), std::string::npos);
    EXPECT_NE(text.find("Answer: 2 (default)"), std::string::npos);
    // A missing default button falls back to the first button.
    EXPECT_EQ(LyMessageBox("t", "m", "Yes", "No", nullptr, 3), 1);
    EXPECT_EQ(LyMessageBox("t", "m", nullptr, "Only", "", 0), 2);
    EXPECT_EQ(LyMessageBox("t", "m", nullptr, nullptr, nullptr, 1), 0);
}

TEST_F(MessageBox, ScriptedAnswersAreTakenInOrderThenTheDefault) {
    TraceLog log;
    MessageBoxes& boxes = MessageBoxes::Instance();
    boxes.Script(MessageBoxAnswer::Button(2));
    boxes.Script(MessageBoxAnswer::Button(3));
    EXPECT_EQ(boxes.ScriptedCount(), 2);
    EXPECT_EQ(LyMessageBox("t", "m", "A", "B", "C", 1), 2);
    EXPECT_EQ(LyMessageBox("t", "m", "A", "B", "C", 1), 3);
    EXPECT_EQ(boxes.ScriptedCount(), 0);
    EXPECT_EQ(LyMessageBox("t", "m", "A", "B", "C", 1), 1);
    EXPECT_TRUE(log.Contains("Answer: 3 (scripted)"));
    EXPECT_TRUE(log.Contains("Answer: 1 (default)"));
    // An answer naming an absent button is refused, and used up.
    boxes.Script(MessageBoxAnswer::Button(3));
    EXPECT_EQ(LyMessageBox("t", "m", "OK", "Cancel", nullptr, 1), 1);
    EXPECT_TRUE(log.Contains("scripted answer 3 names no button"));
    EXPECT_EQ(boxes.ScriptedCount(), 0);
}

TEST_F(MessageBox, TheCheckBoxIsReadAndWritten) {
    TraceLog log;
    bool checked = true;
    EXPECT_EQ(LyMessageBoxWithCheck("t", "m", "OK", nullptr, nullptr, "Don't ask", checked, 1), 1);
    EXPECT_TRUE(checked);  // the default policy leaves it as it was
    MessageBoxes::Instance().Script(MessageBoxAnswer::WithCheck(2, false));
    EXPECT_EQ(LyMessageBoxWithCheck("t", "m", "OK", "No", nullptr, "Don't ask", checked, 1), 2);
    EXPECT_FALSE(checked);
    MessageBoxes::Instance().Script(MessageBoxAnswer::Button(1));  // keeps the box's state
    LyMessageBoxWithCheck("t", "m", "OK", "No", nullptr, "Don't ask", checked, 1);
    EXPECT_FALSE(checked);
    EXPECT_TRUE(log.Contains("Check box: Don't ask [x] -> [ ]"));
}

TEST_F(MessageBox, TheValueDialogStoresAScriptedValueOfItsType) {
    TraceLog log;
    MessageBoxes& boxes = MessageBoxes::Instance();
    int number = 5;
    EXPECT_EQ(LyMessageBoxGetUserValue("t", "m", &number, kLyUserValueInteger, "OK", "Cancel"), 1);
    EXPECT_EQ(number, 5);  // nobody typed anything
    boxes.Script(MessageBoxAnswer::WithValue(1, "42"));
    EXPECT_EQ(LyMessageBoxGetUserValue("t", "m", &number, kLyUserValueInteger, "OK", "Cancel"), 1);
    EXPECT_EQ(number, 42);
    boxes.Script(MessageBoxAnswer::WithValue(1, "4x2"));
    LyMessageBoxGetUserValue("t", "m", &number, kLyUserValueInteger, "OK", "Cancel");
    EXPECT_EQ(number, 42);
    EXPECT_TRUE(log.Contains("(not stored (\"4x2\" is not a integer))"));

    double ratio = 0;
    boxes.Script(MessageBoxAnswer::WithValue(2, "0.25"));
    EXPECT_EQ(LyMessageBoxGetUserValue("t", "m", &ratio, kLyUserValueDouble, "OK", "Cancel"), 2);
    EXPECT_EQ(ratio, 0.25);
    float scale = 0;
    boxes.Script(MessageBoxAnswer::WithValue(1, "1.5"));
    LyMessageBoxGetUserValue("t", "m", &scale, kLyUserValueFloat, "OK");
    EXPECT_EQ(scale, 1.5f);

    char* text = nullptr;
    boxes.Script(MessageBoxAnswer::WithValue(1, "Svc entered"));
    LyMessageBoxGetUserValue("t", "m", &text, kLyUserValueText, "OK");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Svc entered");
    LyFree(text);

    char* secret = nullptr;
    boxes.Script(MessageBoxAnswer::WithValue(1, "hunter2"));
    LyMessageBoxGetUserValue("t", "m", &secret, kLyUserValuePassword, "OK");
    EXPECT_STREQ(secret, "hunter2");
    EXPECT_FALSE(log.Contains("hunter2"));
    LyFree(secret);
}

TEST_F(MessageBox, AnUnknownInputTypeShowsNothing) {
    TraceLog log;
    MessageBoxes& boxes = MessageBoxes::Instance();
    boxes.Script(MessageBoxAnswer::WithValue(1, "9"));
    const int shown = boxes.ShownCount();
    int number = 3;
    EXPECT_EQ(LyMessageBoxGetUserValue("t", "m", &number, 7, "OK"), -1);
    EXPECT_EQ(LyMessageBoxGetUserValue("t", "m", &number, -1, "OK"), -1);
    EXPECT_EQ(number, 3);
    EXPECT_EQ(log.size(), 0u);
    EXPECT_EQ(boxes.ShownCount(), shown);
    EXPECT_EQ(boxes.ScriptedCount(), 1);  // the script is still waiting
    // Every known type reaches the dialog.
    for (int type = 0; type <= 6; ++type) {
        char* text = nullptr;
        void* value = type == 0 ? static_cast<void*>(&number) : nullptr;
        if (type >= 3) value = &text;
        EXPECT_EQ(LyMessageBoxGetUserValue("t", "m", type == 1 || type == 2 ? nullptr : value,
                                           type, "OK"),
                  1);
        std::free(text);
    }
    EXPECT_EQ(boxes.ShownCount(), shown + 7);
}

TEST_F(MessageBox, SuspendedBoxesAnswerTheirDefaultAndKeepTheScript) {
    TraceLog log;
    MessageBoxes& boxes = MessageBoxes::Instance();
    boxes.Script(MessageBoxAnswer::Button(2));
    EXPECT_FALSE(boxes.SetSuspended(true));
    EXPECT_TRUE(boxes.IsSuspended());
    EXPECT_EQ(LyMessageBox("t", "m", "OK", "Cancel", nullptr, 1), 1);
    EXPECT_TRUE(log.Contains("Answer: 1 (suspended)"));
    EXPECT_EQ(boxes.ScriptedCount(), 1);
    EXPECT_TRUE(boxes.SetSuspended(false));
    // The extensions' switch suspends as well.
    boxes.SetClientSuspended(true);
    EXPECT_TRUE(boxes.IsSuspended());
    EXPECT_EQ(LyMessageBox("t", "m", "OK", "Cancel", nullptr, 1), 1);
    boxes.SetClientSuspended(false);
    EXPECT_FALSE(boxes.IsSuspended());
    EXPECT_EQ(LyMessageBox("t", "m", "OK", "Cancel", nullptr, 1), 2);
}
