#include "app/form1.h"
#include "recovery/recovery.h"

#include <QCloseEvent>
#include <QSessionManager>

void Form1::Form_QueryUnload(qint16& cancel, qint16 /*reason: every close is handled alike*/) {
    Timer1.stop();
    if (!AnyDocumentChanged())
        return;
    const MsgResult answer =
        messages().show({QStringLiteral("Exit without saving?"), QStringLiteral("Continue Exit"),
                         MsgButtons::YesNo, MsgResult::Yes, MsgIcon::Question});
    if (answer == MsgResult::No)
        cancel = 1;
}

void Form1::Form_Unload(qint16& /*cancel*/) {
    // The keys go back to the other programs before the process goes.
    shortcuts.release();
    // The user has decided about every unsaved change: nothing is left to
    // offer at the next start.
    if (recovery_)
        recovery_->discardAll();
    if (platform_.endProgram)
        platform_.endProgram();
}

void Form1::closeEvent(QCloseEvent* event) {
    qint16 cancel = 0;
    Form_QueryUnload(cancel, 0);
    if (cancel != 0) {
        event->ignore();
        return;
    }
    Form_Unload(cancel);
    event->accept();
}

void Form1::commitSession(QSessionManager& manager) {
    if (!manager.allowsInteraction()) // no one to ask: leave as the session wants
        return;
    qint16 cancel = 0;
    Form_QueryUnload(cancel, 3);
    manager.release();
    if (cancel != 0) {
        manager.cancel();
        return;
    }
    Form_Unload(cancel);
}
