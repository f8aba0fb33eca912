#include "app/form1.h"
#include "app/statementguard.h"

#include <QScopeGuard>
#include <limits>

namespace {

bool anyChanged(const TabStrip& tabs) {
    for (int position = 0; position < tabs.count(); ++position)
        if (Form1::HasChangedMark(tabs.caption(position)))
            return true;
    return false;
}

} // namespace

bool Form1::AnyDocumentChanged() const {
    return anyChanged(*TabControl1);
}

void Form1::PushButton11_Click() {
    // Whatever the answer, a closed document's recovery copy goes with it.
    const auto afterClose = qScopeGuard([this] { syncRecovery(); });
    StatementGuard guard(messages(), "PushButton11_Click");
    auto caption = [this] { return TabControl1->caption(TabControl1->selectedPosition()); };
    if (guard.test(100, [&] { return HasChangedMark(caption()); })) {
        MsgResult answer = MsgResult::No;
        guard(102, [&] {
            answer = messages().show(
                {QStringLiteral("File has been changed. \r\nDo you want to save changes?"),
                 QStringLiteral("Save Changes"), MsgButtons::YesNo, MsgResult::Yes,
                 MsgIcon::Question});
        });
        if (answer == MsgResult::Yes) {
            guard(104, [&] { PushButton7_Click(); });
            // The user asked to keep the changes: when the save did not happen
            // (dialog cancelled, write failed) the document stays open.
            bool stillChanged = true;
            guard(104, [&] { stillChanged = HasChangedMark(caption()); });
            if (stillChanged)
                return;
        }
    }
    guard(106, [&] { TabControl1->removeItem(TabControl1->selectedPosition()); });
    if (guard.test(112, [&] { return TabControl1->count() == 0; })) {
        // With every document index used up no new document can take the
        // last one's place; every document is closed, so the set starts over
        // as Close All leaves it, and the strip is never left empty.
        if (documentCount == std::numeric_limits<qint16>::max()) {
            startOver(guard, 114);
            return;
        }
        if (!addUntitledDocument(guard, 114, true))
            return;
    }
    guard(170, [&] { TabControl1_SelectedChanged(TabControl1->selectedPosition()); });
}

void Form1::PushButton12_Click() {
    // Whatever the answer, a closed document's recovery copy goes with it.
    const auto afterClose = qScopeGuard([this] { syncRecovery(); });
    StatementGuard guard(messages(), "PushButton12_Click");
    // A search or a question that fails must never discard documents: an
    // unknown state counts as changed, an unknown answer as No.
    bool changed = true;
    guard(100, [&] { changed = anyChanged(*TabControl1); });
    if (changed) {
        MsgResult answer = MsgResult::No;
        guard(110, [&] {
            answer = messages().show(
                {QStringLiteral("There are some file(s) that has been changed.\r\n"
                                "Do you wish to continue closing all files without saving?"),
                 QStringLiteral("Continue Close"), MsgButtons::YesNo, MsgResult::Yes,
                 MsgIcon::Question});
        });
        if (answer != MsgResult::Yes)
            return;
    }
    startOver(guard, 0);
}

void Form1::startOver(StatementGuard& guard, int line) {
    // Close All's own statements are 112 to 122; another handler reports
    // them all under its one statement.
    auto at = [line](int own) { return line ? line : own; };
    guard(at(112), [&] { TabControl1->removeAll(); });
    guard(at(114), [&] { RichTextBox1->unloadAllButFirst(); });
    guard(at(118), [&] {
        loadingFlag = true;
        (*RichTextBox1)[0].setText(QString());
        (*RichTextBox1)[0].setTag(DocumentTag(false, QString()));
        loadingFlag = false;
    });
    guard(at(120), [&] { documentCount = 1; });
    guard(at(122), [&] {
        const int position =
            TabControl1->insertItem(0, QStringLiteral("Untitled%1.rtf").arg(documentCount));
        TabControl1->select(position);
    });
}
