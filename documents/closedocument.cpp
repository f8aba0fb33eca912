#include "app/form1.h"
#include "app/statementguard.h"

namespace {

bool anyChanged(const TabStrip& tabs) {
    for (int position = 0; position < tabs.count(); ++position)
        if (tabs.caption(position).contains(QLatin1Char('*')))
            return true;
    return false;
}

} // namespace

bool Form1::AnyDocumentChanged() const { return anyChanged(*TabControl1); }

void Form1::PushButton11_Click() {
    StatementGuard guard(messages(), QStringLiteral("in Ferrotab2017/04/05.Form1.PushButton11_Click "));
    auto caption = [this] { return TabControl1->caption(TabControl1->selectedPosition()); };
    if (guard.test(100, [&] { return caption().contains(QLatin1Char('*')); })) {
        MsgResult answer = MsgResult::No;
        guard(102, [&] {
            answer = messages().show({QStringLiteral("File has been changed. \r\nDo you want to save changes?"),
                                      QStringLiteral("Save Changes"), MsgButtons::YesNo, MsgResult::Yes,
                                      MsgIcon::Question});
        });
        if (answer == MsgResult::Yes) {
            guard(104, [&] { PushButton7_Click(); });
            // The user asked to keep the changes: when the save did not happen
            // (dialog cancelled, write failed) the document stays open.
            bool stillChanged = true;
            guard(104, [&] { stillChanged = caption().contains(QLatin1Char('*')); });
            if (stillChanged)
                return;
        }
    }
    guard(106, [&] { TabControl1->removeItem(TabControl1->selectedPosition()); });
    if (guard.test(112, [&] { return TabControl1->count() == 0; })) {
        if (!addUntitledDocument(guard, 114, true))
            return;
    }
    guard(170, [&] { TabControl1_SelectedChanged(TabControl1->selectedPosition()); });
}

void Form1::PushButton12_Click() {
    StatementGuard guard(messages(), QStringLiteral("in Ferrotab2017/04/05.Form1.PushButton12_Click "));
    bool changed = false;
    guard(100, [&] { changed = anyChanged(*TabControl1); });
    if (changed) {
        MsgResult answer = MsgResult::Yes;
        guard(110, [&] {
            answer = messages().show({QStringLiteral("There are some file(s) that has been changed.\r\n"
                                                     "Do you wish to continue closing all files without saving?"),
                                      QStringLiteral("Continue Close"), MsgButtons::YesNo, MsgResult::Yes,
                                      MsgIcon::Question});
        });
        if (answer == MsgResult::No)
            return;
    }
    guard(112, [&] { TabControl1->removeAll(); });
    guard(114, [&] { RichTextBox1->unloadAllButFirst(); });
    guard(118, [&] {
        loadingFlag = true;
        (*RichTextBox1)[0].setText(QString());
        (*RichTextBox1)[0].setTag(QStringLiteral("0|"));
        loadingFlag = false;
    });
    guard(120, [&] { documentCount = 1; });
    guard(122, [&] {
        const int position = TabControl1->insertItem(0, QStringLiteral("Untitled%1.rtf").arg(documentCount));
        TabControl1->select(position);
    });
}
