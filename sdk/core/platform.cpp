// Sleeping, byte order and the host's message boxes.

#include "lysdk/lyplatform.h"

#include <chrono>
#include <thread>

#include <velora/message_box.h>

LYSDK_BEGIN_NAMESPACE

void LySleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void LyBigEndianToNative(std::uint16_t& value) {
    value = static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

void LyLittleEndianToNative(std::uint16_t&) {}

int LyMessageBox(const char* title, const char* message, const char* button1, const char* button2,
                 const char* button3, int defaultButton, int scroll) {
    return velora::MessageBoxes::Instance().Show(title, message, button1, button2, button3,
                                                 defaultButton, scroll != 0);
}

int LyMessageBoxWithCheck(const char* title, const char* message, const char* button1,
                          const char* button2, const char* button3, const char* checkText,
                          bool& checked, int defaultButton, int scroll) {
    return velora::MessageBoxes::Instance().ShowWithCheck(title, message, button1, button2,
                                                          button3, checkText, &checked,
                                                          defaultButton, scroll != 0);
}

int LyMessageBoxGetUserValue(const char* title, const char* message, void* value, int inputType,
                             const char* button1, const char* button2, const char* button3,
                             int defaultButton, bool scroll) {
    // Checked here too: an unknown type must not reach the host at all.
    if (inputType < kLyUserValueInteger || inputType > kLyUserValueFolderPath) return -1;
    return velora::MessageBoxes::Instance().GetUserValue(title, message, value, inputType, button1,
                                                         button2, button3, defaultButton, scroll);
}

LYSDK_END_NAMESPACE
