#include "app/form1.h"
#include "app/statementguard.h"

#include <QFileInfo>

const QString Form1::kDocumentFilter =
    QStringLiteral("RTF File (*.rtf)|*.rtf|Text File (*.txt)|*.txt");

void Form1::PushButton1_Click() {
    StatementGuard guard(messages(), "PushButton1_Click");
    guard(100, [&] { CommonDialog1.FileName = QString(); });
    guard(102, [&] { CommonDialog1.DialogTitle = QStringLiteral("Select File"); });
    guard(104, [&] { CommonDialog1.Filter = kDocumentFilter; });
    guard(106, [&] { CommonDialog1.ShowOpen(); });
    if (guard.test(108, [&] { return CommonDialog1.FileName.isEmpty(); }))
        return;
    openDocument(guard, CommonDialog1.FileName);
}

bool Form1::openDocument(StatementGuard& guard, const QString& fileName) {
    const int previous = TabControl1->selectedPosition();
    guard(110, [&] { loadingFlag = true; });
    qint16 n = 0;
    if (!guard(112, [&] { n = nextDocumentIndex(); })) { // at the limit: touch no existing document
        loadingFlag = false;
        return false;
    }
    int position = -1;
    guard(114, [&] { position = TabControl1->insertItem(n, FileNameFromPath(fileName)); });
    guard(116, [&] { TabControl1->select(position); });
    guard(118, [&] { TabControl1->setValue(position, n); });
    guard(120, [&] { RichTextBox1->load(n); });
    if (!guard(122, [&] { (*RichTextBox1)[n].loadFile(fileName); })) {
        // An empty document carrying the file's path would overwrite the real
        // file on the next Save: take the tab away again. Its surface was never
        // shown; the document that was current stays current.
        if (position >= 0)
            TabControl1->removeItem(position);
        if (previous >= 0 && previous < TabControl1->count())
            TabControl1->select(previous);
        loadingFlag = false;
        return false;
    }
    guard(124, [&] { (*RichTextBox1)[n].setTag(DocumentTag(false, fileName)); });
    guard(126, [&] { (*RichTextBox1)[n].setVisible(true); });
    guard(128, [&] { (*RichTextBox1)[n].zOrder(); });
    guard(130, [&] { (*RichTextBox1)[n].setFocus(); });
    guard(132, [&] { loadingFlag = false; });
    return true;
}

void Form1::OpenFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        StatementGuard guard(messages(), "PushButton1_Click");
        // The tag keeps the path for every later Save: make it independent
        // of the folder the program was started in.
        openDocument(guard, QFileInfo(path).absoluteFilePath());
    }
}
