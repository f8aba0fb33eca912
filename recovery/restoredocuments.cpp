#include "app/form1.h"
#include "app/statementguard.h"
#include "components/rtf/documentfile.h"
#include "components/runtimeerror.h"
#include "documents/filecontent.h"
#include "recovery/recovery.h"
#include "recovery/staleinstances.h"

#include <QDir>
#include <QTextCursor>
#include <QTextEdit>

namespace {

const QString kRestoreTitle = QStringLiteral("Restore Documents");

struct Offered {
    const recovery::IndexEntry* entry;
    QString copyPath;
};

} // namespace

void Form1::RestoreDocuments() {
    if (!recovery_)
        return;
    std::vector<recovery::StaleInstance> stale =
        recovery::claimStaleInstances(recovery_->folder(), recovery_->instance());
    if (stale.empty())
        return;
    const QDir folder(recovery_->folder());
    std::vector<Offered> offered;
    QStringList captions;
    for (const recovery::StaleInstance& instance : stale) {
        if (!instance.unreadableIndex.isEmpty())
            messages().show({QStringLiteral("The list of recovery copies %1 cannot be read; its "
                                            "copies are offered under their file names.")
                                 .arg(QDir::toNativeSeparators(instance.unreadableIndex)),
                             kRestoreTitle, MsgButtons::Ok, MsgResult::Ok, MsgIcon::Exclamation});
        for (const recovery::IndexEntry& entry : instance.entries) {
            offered.push_back({&entry, folder.filePath(entry.file)});
            captions << entry.caption;
        }
    }
    MsgResult answer = MsgResult::No;
    if (!offered.empty())
        answer = messages().show(
            {QStringLiteral("Ferrotab was closed before these documents were saved:\r\n") +
                 captions.join(QStringLiteral("\r\n")) + QStringLiteral("\r\nRestore them?"),
             kRestoreTitle, MsgButtons::YesNo, MsgResult::Yes, MsgIcon::Exclamation});
    if (answer == MsgResult::Yes) {
        for (const Offered& copy : offered) {
            QString error;
            QByteArray rtf;
            try {
                rtf = readFileContent(copy.copyPath);
                if (!rtf::isRtf(rtf))
                    error = QStringLiteral("It is not an RTF document.");
            } catch (const RuntimeError& failure) {
                error = failure.description();
            }
            if (!error.isEmpty()) {
                messages().show(
                    {QStringLiteral("The recovery copy of %1 cannot be read and is "
                                    "skipped:\r\n%2\r\n%3")
                         .arg(copy.entry->caption, QDir::toNativeSeparators(copy.copyPath), error),
                     kRestoreTitle, MsgButtons::Ok, MsgResult::Ok, MsgIcon::Exclamation});
                continue;
            }
            restoreDocument(copy.entry->path, rtf);
        }
        // The restored documents' own copies are on disk before the old ones
        // go: a crash in between offers them again rather than losing them.
        recovery_->waitForWrites();
    }
    for (recovery::StaleInstance& instance : stale)
        recovery::removeInstance(instance);
}

bool Form1::restoreDocument(const QString& path, const QByteArray& rtf) {
    // Open's statements, with the copy's bytes for the file's and the
    // document marked changed: it holds what was never saved.
    StatementGuard guard(messages(), "RestoreDocuments");
    guard(110, [&] { loadingFlag = true; });
    qint16 n = 0;
    if (!guard(112, [&] { n = nextDocumentIndex(); })) {
        loadingFlag = false;
        return false;
    }
    const QString name = path.isEmpty() ? QStringLiteral("Untitled%1.rtf").arg(documentCount)
                                        : FileNameFromPath(path);
    int position = -1;
    guard(114, [&] { position = TabControl1->insertItem(n, WithChangedMark(name)); });
    guard(116, [&] { TabControl1->select(position); });
    guard(118, [&] { TabControl1->setValue(position, n); });
    guard(120, [&] { RichTextBox1->load(n); });
    guard(122, [&] {
        RichTextSurface& surface = (*RichTextBox1)[n];
        rtf::loadBytes(*surface.document(), rtf);
        surface.widget()->moveCursor(QTextCursor::Start);
    });
    guard(124, [&] { (*RichTextBox1)[n].setTag(DocumentTag(true, path)); });
    guard(126, [&] { (*RichTextBox1)[n].setVisible(true); });
    guard(128, [&] { (*RichTextBox1)[n].zOrder(); });
    guard(130, [&] { (*RichTextBox1)[n].setFocus(); });
    guard(132, [&] { loadingFlag = false; });
    recovery_->adopt(n, rtf);
    return true;
}
