#include "velora/message_box.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "velora/trace.h"

namespace velora {

namespace {

bool HasButton(const char* text) { return text && *text; }

// The button a box answers when nobody chooses: see the header.
int DefaultButtonOf(const char* const buttons[3], int defaultButton) {
    if (defaultButton >= 1 && defaultButton <= 3 && HasButton(buttons[defaultButton - 1]))
        return defaultButton;
    for (int i = 0; i < 3; ++i)
        if (HasButton(buttons[i])) return i + 1;
    return 0;
}

std::string Header(const char* title, const char* message, const char* const buttons[3],
                   int defaultButton, bool scroll) {
    std::string text = "[Message box] ";
    text += title ? title : "";
    text += "\n  ";
    text += message ? message : "";
    text += "\n  Buttons:";
    bool any = false;
    for (int i = 0; i < 3; ++i) {
        if (!HasButton(buttons[i])) continue;
        text += " [" + std::to_string(i + 1) + "] " + buttons[i];
        any = true;
    }
    if (!any) text += " (none)";
    text += " (default " + std::to_string(defaultButton) + ")";
    if (scroll) text += " (scroll)";
    text += "\n";
    return text;
}

const char* TypeName(int type) {
    static const char* const kNames[kValueTypeCount] = {
        "integer", "float", "double", "text", "password", "file path", "folder path"};
    return type >= 0 && type < kValueTypeCount ? kNames[type] : "?";
}

std::string ValueText(const void* value, int type) {
    if (!value) return "(none)";
    switch (type) {
        case kValueInteger:
            return std::to_string(*static_cast<const int*>(value));
        case kValueFloat:
            return std::to_string(*static_cast<const float*>(value));
        case kValueDouble:
            return std::to_string(*static_cast<const double*>(value));
        case kValuePassword:
            return "****";
        default: {
            const char* text = *static_cast<char* const*>(value);
            return std::string("\"") + (text ? text : "") + "\"";
        }
    }
}

// Stores `text` into `value` as `type`; false (nothing written) when the
// text does not read as the type in full.
bool StoreValue(void* value, int type, const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    switch (type) {
        case kValueInteger: {
            const long v = std::strtol(begin, &end, 10);
            if (end == begin || *end || errno || v < INT32_MIN || v > INT32_MAX) return false;
            *static_cast<int*>(value) = static_cast<int>(v);
            return true;
        }
        case kValueFloat: {
            const float v = std::strtof(begin, &end);
            if (end == begin || *end || errno) return false;
            *static_cast<float*>(value) = v;
            return true;
        }
        case kValueDouble: {
            const double v = std::strtod(begin, &end);
            if (end == begin || *end || errno) return false;
            *static_cast<double*>(value) = v;
            return true;
        }
        default: {
            char* copy = static_cast<char*>(std::malloc(text.size() + 1));
            if (!copy) return false;
            std::memcpy(copy, text.c_str(), text.size() + 1);
            *static_cast<char**>(value) = copy;
            return true;
        }
    }
}

}  // namespace

MessageBoxes& MessageBoxes::Instance() {
    static MessageBoxes boxes;
    return boxes;
}

void MessageBoxes::SetPolicy(Policy policy) {
    std::lock_guard<std::mutex> lock(mutex_);
    policy_ = policy;
}

MessageBoxes::Policy MessageBoxes::GetPolicy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return policy_;
}

void MessageBoxes::Script(const MessageBoxAnswer& answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back(answer);
    policy_ = kAnswerScripted;
}

int MessageBoxes::ScriptedCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(script_.size());
}

void MessageBoxes::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    script_.clear();
    policy_ = kAnswerDefault;
}

bool MessageBoxes::SetSuspended(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool was = suspended_;
    suspended_ = on;
    return was;
}

bool MessageBoxes::SetClientSuspended(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool was = clientSuspended_;
    clientSuspended_ = on;
    return was;
}

bool MessageBoxes::IsClientSuspended() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clientSuspended_;
}

bool MessageBoxes::IsSuspended() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return suspended_ || clientSuspended_;
}

int MessageBoxes::ShownCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
}

MessageBoxAnswer MessageBoxes::Answer(const char* buttons[3], int defaultButton,
                                      std::string* note) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++shown_;
    MessageBoxAnswer answer = MessageBoxAnswer::Button(DefaultButtonOf(buttons, defaultButton));
    if (suspended_ || clientSuspended_) {
        *note = "suspended";
        return answer;
    }
    if (policy_ != kAnswerScripted || script_.empty()) {
        *note = "default";
        return answer;
    }
    MessageBoxAnswer scripted = script_.front();
    script_.pop_front();
    if (scripted.button < 1 || scripted.button > 3 || !HasButton(buttons[scripted.button - 1])) {
        *note = "default; scripted answer " + std::to_string(scripted.button) + " names no button";
        return answer;
    }
    *note = "scripted";
    return scripted;
}

int MessageBoxes::Show(const char* title, const char* message, const char* button1,
                       const char* button2, const char* button3, int defaultButton, bool scroll) {
    const char* buttons[3] = {button1, button2, button3};
    std::string note;
    const MessageBoxAnswer answer = Answer(buttons, defaultButton, &note);
    std::string text = Header(title, message, buttons, defaultButton, scroll);
    text += "  Answer: " + std::to_string(answer.button) + " (" + note + ")\n";
    Trace::Instance().Print(Trace::kDefaultLevel, text.c_str());
    return answer.button;
}

int MessageBoxes::ShowWithCheck(const char* title, const char* message, const char* button1,
                                const char* button2, const char* button3, const char* checkText,
                                bool* checked, int defaultButton, bool scroll) {
    const char* buttons[3] = {button1, button2, button3};
    std::string note;
    const MessageBoxAnswer answer = Answer(buttons, defaultButton, &note);
    const bool before = checked && *checked;
    if (checked && answer.check >= 0) *checked = answer.check != 0;
    const bool after = checked && *checked;
    std::string text = Header(title, message, buttons, defaultButton, scroll);
    text += "  Check box: ";
    text += checkText ? checkText : "";
    text += std::string(" [") + (before ? "x" : " ") + "] -> [" + (after ? "x" : " ") + "]\n";
    text += "  Answer: " + std::to_string(answer.button) + " (" + note + ")\n";
    Trace::Instance().Print(Trace::kDefaultLevel, text.c_str());
    return answer.button;
}

int MessageBoxes::GetUserValue(const char* title, const char* message, void* value, int inputType,
                               const char* button1, const char* button2, const char* button3,
                               int defaultButton, bool scroll) {
    if (inputType < 0 || inputType >= kValueTypeCount) return -1;
    const char* buttons[3] = {button1, button2, button3};
    std::string note;
    const MessageBoxAnswer answer = Answer(buttons, defaultButton, &note);
    const std::string before = ValueText(value, inputType);
    std::string outcome = "kept";
    if (answer.hasValue) {
        if (!value)
            outcome = "not stored (no value pointer)";
        else if (StoreValue(value, inputType, answer.value))
            outcome = "set";
        else
            outcome = "not stored (\"" + answer.value + "\" is not a " + TypeName(inputType) + ")";
    }
    std::string text = Header(title, message, buttons, defaultButton, scroll);
    text += std::string("  Value (") + TypeName(inputType) + "): " + before;
    if (outcome == "set") text += " -> " + ValueText(value, inputType);
    text += " (" + outcome + ")\n";
    text += "  Answer: " + std::to_string(answer.button) + " (" + note + ")\n";
    Trace::Instance().Print(Trace::kDefaultLevel, text.c_str());
    return answer.button;
}

}  // namespace velora
