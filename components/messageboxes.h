#pragma once

#include <QString>

// Modal message boxes and the input box, behind one small interface so that
// the program logic never calls a modal Qt dialog itself: the program shows
// QMessageBox and QInputDialog, tests answer from a script and record what
// was asked.

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString text;
    QString title; // already resolved: never empty when shown by the program
    MsgButtons buttons = MsgButtons::Ok;
    MsgResult defaultButton = MsgResult::Ok;
    MsgIcon icon = MsgIcon::None;
};

struct InputRequest {
    QString prompt;
    QString title;
    QString defaultText;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows the box and waits until the user closes it; returns the button pressed.
    virtual MsgResult show(const MessageRequest& request) = 0;
    // Shows the input box; returns the text entered, or "" when the user cancelled.
    virtual QString input(const InputRequest& request) = 0;
};
