#include "app/form1.h"
#include "app/statementguard.h"
#include "components/runtimeerror.h"
#include "saving/safefile.h"

#include <QScopeGuard>

namespace {

QString saveTitle(const QString& caption) {
    return QStringLiteral("Save [") + Form1::WithoutChangedMark(caption) + QStringLiteral("] As");
}

} // namespace

bool Form1::IsRtfName(const QString& name) {
    // The text after the last "." of the whole name (all of it without one):
    // "my.docs/notes" is not RTF.
    return name.mid(name.lastIndexOf(QLatin1Char('.')) + 1).toLower() == QLatin1StringView("rtf");
}

void Form1::WriteTextFile(const QString& text, const QString& path) {
    // UTF-8 holds every character the user can type; a legacy code page would
    // turn some of them into question marks.
    if (const QString error = SafeFile::save(path, (text + QStringLiteral("\r\n")).toUtf8());
        !error.isEmpty())
        throw RuntimeError(error);
}

bool Form1::writeByExtension(StatementGuard& guard, const SaveLines& lines,
                             const std::function<RichTextSurface&()>& surface,
                             const QString& path) {
    if (guard.test(lines.test, [&] { return IsRtfName(path); }))
        return guard(lines.rtf, [&] { surface().saveFile(path); });
    return guard(lines.text, [&] { WriteTextFile(surface().text(), path); });
}

void Form1::PushButton7_Click() {
    const auto afterSave = qScopeGuard([this] { syncRecovery(); });
    StatementGuard guard(messages(), "PushButton7_Click");
    auto surface = [this]() -> RichTextSurface& { return currentSurface(); };
    auto caption = [this] { return TabControl1->caption(TabControl1->selectedPosition()); };
    QString path;
    guard(100, [&] { path = PathFromTag(surface().tag()); });
    if (guard.test(102, [&] { return path.isEmpty(); })) {
        guard(104, [&] { CommonDialog1.FileName = QString(); });
        guard(106, [&] { CommonDialog1.DialogTitle = saveTitle(caption()); });
        guard(108, [&] { CommonDialog1.Filter = kDocumentFilter; });
        guard(110, [&] { CommonDialog1.ShowSave(); });
        if (guard.test(112, [&] { return CommonDialog1.FileName.isEmpty(); }))
            return;
        const QString fileName = CommonDialog1.FileName;
        // A file that was not written leaves the document marked as unsaved.
        if (!writeByExtension(guard, {116, 118, 120}, surface, fileName))
            return;
        guard(122, [&] {
            TabControl1->setCaption(TabControl1->selectedPosition(), FileNameFromPath(fileName));
        });
        guard(124, [&] { surface().setTag(DocumentTag(false, fileName)); });
        return;
    }
    if (!writeByExtension(guard, {128, 130, 132}, surface, path))
        return;
    guard(134, [&] {
        TabControl1->setCaption(TabControl1->selectedPosition(),
                                Form1::WithoutChangedMark(caption()));
    });
}

void Form1::PushButton14_Click() {
    const auto afterSave = qScopeGuard([this] { syncRecovery(); });
    StatementGuard guard(messages(), "PushButton14_Click");
    auto surface = [this]() -> RichTextSurface& { return currentSurface(); };
    auto caption = [this] { return TabControl1->caption(TabControl1->selectedPosition()); };
    guard(100, [&] { CommonDialog1.FileName = QString(); });
    guard(102, [&] { CommonDialog1.DialogTitle = saveTitle(caption()); });
    guard(104, [&] { CommonDialog1.Filter = kDocumentFilter; });
    QStringList pieces;
    guard(106, [&] { pieces = Form1::WithoutChangedMark(caption()).split(QLatin1Char('.')); });
    const bool rtfCaption = guard.test(108, [&] {
        return pieces.size() > 1 && pieces.constLast().toLower() == QLatin1StringView("rtf");
    });
    if (rtfCaption)
        guard(110, [&] { CommonDialog1.FilterIndex = 1; });
    else
        guard(112, [&] { CommonDialog1.FilterIndex = 2; });
    guard(114, [&] { CommonDialog1.ShowSave(); });
    if (guard.test(116, [&] { return CommonDialog1.FileName.isEmpty(); }))
        return;
    const QString fileName = CommonDialog1.FileName;
    if (!writeByExtension(guard, {120, 122, 124}, surface, fileName))
        return;
    guard(126, [&] {
        TabControl1->setCaption(TabControl1->selectedPosition(), FileNameFromPath(fileName));
    });
    guard(128, [&] { surface().setTag(DocumentTag(false, fileName)); });
}

void Form1::PushButton8_Click() {
    const auto afterSave = qScopeGuard([this] { syncRecovery(); });
    StatementGuard guard(messages(), "PushButton8_Click");
    int tabs = 0;
    guard(100, [&] { tabs = TabControl1->count(); });
    for (int position = 0; position < tabs; ++position) {
        auto surface = [&]() -> RichTextSurface& {
            return (*RichTextBox1)[TabControl1->value(position)];
        };
        if (guard.test(102, [&] { return !HasChangedMark(TabControl1->caption(position)); }))
            continue;
        QString path;
        guard(104, [&] { path = PathFromTag(surface().tag()); });
        // The format follows the name's extension here too: a .txt document
        // written back as RTF markup would be spoilt for every other program.
        if (guard.test(106, [&] { return path.isEmpty(); })) {
            guard(108, [&] { CommonDialog1.FileName = QString(); });
            guard(110,
                  [&] { CommonDialog1.DialogTitle = saveTitle(TabControl1->caption(position)); });
            guard(112, [&] { CommonDialog1.Filter = QStringLiteral("RTF File (*.rtf)|*.rtf"); });
            guard(114, [&] { CommonDialog1.ShowSave(); });
            // A failing test goes on to the write, as a name that is there would.
            if (!guard.test(116, [&] { return !CommonDialog1.FileName.isEmpty(); }))
                continue;
            const QString fileName = CommonDialog1.FileName;
            if (!writeByExtension(guard, {118, 118, 118}, surface, fileName))
                continue;
            guard(120, [&] { TabControl1->setCaption(position, FileNameFromPath(fileName)); });
            guard(122, [&] { surface().setTag(DocumentTag(false, fileName)); });
        } else {
            if (!writeByExtension(guard, {124, 124, 124}, surface, path))
                continue;
            guard(126, [&] {
                TabControl1->setCaption(position,
                                        Form1::WithoutChangedMark(TabControl1->caption(position)));
            });
        }
    }
}
