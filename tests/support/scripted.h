#pragma once

#include "app/form1.h"
#include "app/platform.h"

#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

// Message boxes that record every request and answer from a script; with no
// scripted answer left, a box answers with its default button.
class ScriptedMessageBoxes : public MessageBoxes {
public:
    MsgResult show(const MessageRequest& request) override;
    QString input(const InputRequest& request) override;

    std::vector<MessageRequest> shown;
    std::deque<MsgResult> answers;
    std::vector<InputRequest> inputs;
    std::deque<QString> inputAnswers;
    std::function<void(const MessageRequest&)> onShow; // runs while the box is "open"
};

// Dialogs that record their requests and answer from a script; with no
// answer left, a dialog is cancelled.
class ScriptedDialogs : public DialogPresenter {
public:
    std::optional<FileDialogResult> showOpen(const FileDialogRequest& request) override;
    std::optional<FileDialogResult> showSave(const FileDialogRequest& request) override;
    std::optional<OleColor> showColor(OleColor initial, qint32 flags) override;
    std::optional<FontChoice> showFont(const FontChoice& initial, qint32 flags) override;

    std::vector<FileDialogRequest> openRequests, saveRequests;
    std::deque<std::optional<FileDialogResult>> openAnswers, saveAnswers;
    std::vector<std::pair<OleColor, qint32>> colorRequests;
    std::deque<std::optional<OleColor>> colorAnswers;
    std::vector<std::pair<FontChoice, qint32>> fontRequests;
    std::deque<std::optional<FontChoice>> fontAnswers;
    // When set, the colour and font dialogs are shown by these (Qt's own),
    // recorded all the same: a script would answer what the real dialog
    // might get wrong.
    DialogPresenter* realColorAndFont = nullptr;
};

class ScriptedFonts : public FontSource {
public:
    explicit ScriptedFonts(QStringList families, bool fails = false)
        : families_(std::move(families)), fails_(fails) {}
    QStringList families() override;

private:
    QStringList families_;
    bool fails_;
};

class QDialog;

// Runs `act` on the next modal dialog, from inside the dialog's own event
// loop. A dialog that `act` leaves open is cancelled, so a failed expectation
// cannot hang the test.
void onModal(std::function<void(QDialog&)> act);

// A file-size limit (RLIMIT_FSIZE) on this process while it lives, with
// SIGXFSZ ignored as the programs ignore it: a write over it fails with
// "File too large" instead of ending the process.
struct FileSizeLimit {
    explicit FileSizeLimit(unsigned long long bytes);
    ~FileSizeLimit();
    unsigned long long saved[2]{};
};

// A real Form1 on scripted dialogs, in a program folder of its own.
struct FormHarness {
    explicit FormHarness(QStringList fonts = {"Arial", "Courier New", "Times New Roman"},
                         bool fontsFail = false);
    // Builds the window; call after placing files in folder.
    Form1& build();
    // Builds the window and runs its start-up.
    Form1& load();
    // Shows the window and makes it the active one, so that focus can be tested.
    void showActive();

    QTemporaryDir folder;
    // The window's recovery copies go here, in a state folder of the test's
    // own; empty turns them off. Set before build().
    QTemporaryDir state;
    QString recoveryFolder;
    ScriptedMessageBoxes* messages = nullptr;
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<Form1> form;
    int programEnds = 0;    // how often the window ended the program
    QList<QUrl> openedUrls; // the links the window asked to open

private:
    QStringList fonts_;
    bool fontsFail_;
};
