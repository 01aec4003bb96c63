#ifndef VELORA_MESSAGE_BOX_H
#define VELORA_MESSAGE_BOX_H

// The host's modal message boxes, headless.
//
// velora has no windows, so a box never waits for a person: it answers at
// once, by the policy that the program (or a test) has set, and writes the
// whole exchange to the trace output (title, message, buttons, and the
// answer with where it came from). Two policies:
//  - default: every box answers its default button;
//  - scripted: answers queued with Script() are taken one per box, in
//    order; an empty queue falls back to the default button.
// A scripted answer may also set the check box of a box with a check box
// and give the value of a value dialog.
//
// Buttons are numbered 1 to 3; a null or empty text means no such button.
// A box's default button is its `defaultButton` when that button exists,
// otherwise its first button, or 0 for a box without buttons. A scripted
// answer naming a button the box does not have is refused with a trace
// line and the default button answers instead.
//
// Suspension: while boxes are suspended (file operations suspend them to
// run silently) a box is not shown and answers its default button; the
// scripted queue is left untouched, and the trace line says "suspended".
// There are two switches, the application's own and the one extensions
// set through the SDK; boxes are suspended when either is on.

#include <deque>
#include <mutex>
#include <string>

#include "velora/export.h"

namespace velora {

/// Input types of the value dialog and what its value pointer points to.
/// Text values: on entry `*(char**)value` is the initial text (may be null;
/// not taken over); when an answer gives a value, `*(char**)value` is set to
/// a new block from malloc that the caller frees with free (or LyFree).
enum ValueInputType : int {
    kValueInteger = 0,   ///< int*
    kValueFloat = 1,     ///< float*
    kValueDouble = 2,    ///< double*
    kValueText = 3,      ///< char**
    kValuePassword = 4,  ///< char**; the trace shows "****" instead of the text
    kValueFilePath = 5,  ///< char**
    kValueFolderPath = 6,///< char**
    kValueTypeCount = 7
};

/// One scripted answer.
struct MessageBoxAnswer {
    int button = 1;            ///< the button pressed (1 to 3)
    int check = -1;            ///< check-box state to leave: 0, 1, or -1 to keep it
    bool hasValue = false;     ///< whether `value` is the value dialog's answer
    std::string value;         ///< the value as text ("12", "0.5", "name")

    static MessageBoxAnswer Button(int button) {
        MessageBoxAnswer a;
        a.button = button;
        return a;
    }
    static MessageBoxAnswer WithCheck(int button, bool checked) {
        MessageBoxAnswer a;
        a.button = button;
        a.check = checked ? 1 : 0;
        return a;
    }
    static MessageBoxAnswer WithValue(int button, const char* text) {
        MessageBoxAnswer a;
        a.button = button;
        a.hasValue = true;
        a.value = text ? text : "";
        return a;
    }
};

class VELORA_API MessageBoxes {
public:
    enum Policy : int {
        kAnswerDefault = 0,  ///< the default button, always
        kAnswerScripted = 1, ///< the queued answers, then the default button
    };

    static MessageBoxes& Instance();

    void SetPolicy(Policy policy);
    Policy GetPolicy() const;
    /// Queues an answer (and makes the policy scripted).
    void Script(const MessageBoxAnswer& answer);
    /// Answers still queued.
    int ScriptedCount() const;
    /// Empties the queue and goes back to the default policy.
    void Reset();

    /// The application's own suspension switch; returns its previous state,
    /// so that a caller can put it back.
    bool SetSuspended(bool on);
    /// The switch that extensions set through the SDK; returns its previous state.
    bool SetClientSuspended(bool on);
    bool IsClientSuspended() const;
    /// Whether boxes are suspended by either switch.
    bool IsSuspended() const;

    /// Number of boxes answered so far (shown or suspended).
    int ShownCount() const;

    /// A box with up to three buttons; returns the button pressed.
    int Show(const char* title, const char* message, const char* button1, const char* button2,
             const char* button3, int defaultButton, bool scroll);
    /// The same with a check box; `checked` is read and written (may be null).
    int ShowWithCheck(const char* title, const char* message, const char* button1,
                      const char* button2, const char* button3, const char* checkText,
                      bool* checked, int defaultButton, bool scroll);
    /// The value dialog. An input type outside ValueInputType returns -1,
    /// shows nothing and writes nothing. A value is written only when the
    /// answer gives one (scripted) and it reads as the type; `value` may be
    /// null. `scroll` shows the message in a scrolling area, as for Show.
    int GetUserValue(const char* title, const char* message, void* value, int inputType,
                     const char* button1, const char* button2, const char* button3,
                     int defaultButton, bool scroll);

private:
    MessageBoxes() = default;
    // The answer of one box: scripted or default; `note` says which.
    MessageBoxAnswer Answer(const char* buttons[3], int defaultButton, std::string* note);

    mutable std::mutex mutex_;
    Policy policy_ = kAnswerDefault;
    std::deque<MessageBoxAnswer> script_;
    bool suspended_ = false;
    bool clientSuspended_ = false;
    int shown_ = 0;
};

}  // namespace velora

#endif  // VELORA_MESSAGE_BOX_H
