#include "app/platform.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace {

QMessageBox::StandardButton standardButton(MsgResult result) {
    switch (result) {
    case MsgResult::Ok: return QMessageBox::Ok;
    case MsgResult::Cancel: return QMessageBox::Cancel;
    case MsgResult::Yes: return QMessageBox::Yes;
    case MsgResult::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

class QtMessageBoxes : public MessageBoxes {
public:
    MsgResult show(const MessageRequest& request) override {
        static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                                  QMessageBox::Question, QMessageBox::Warning,
                                                  QMessageBox::Information};
        QMessageBox box(icons[int(request.icon)], request.title, request.text,
                        QMessageBox::NoButton, QApplication::activeWindow());
        switch (request.buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        box.setDefaultButton(standardButton(request.defaultButton));
        switch (box.exec()) {
        case QMessageBox::Yes: return MsgResult::Yes;
        case QMessageBox::No: return MsgResult::No;
        case QMessageBox::Cancel: return MsgResult::Cancel;
        default: break;
        }
        // Escape on a box without Cancel closes it like its only or default answer.
        return request.buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    }

    QString input(const InputRequest& request) override {
        bool ok = false;
        const QString text = QInputDialog::getText(QApplication::activeWindow(), request.title,
                                                   request.prompt, QLineEdit::Normal,
                                                   request.defaultText, &ok);
        return ok ? text : QString();
    }
};

// A filter as Qt's file dialog takes it: "label (patterns)". A label that
// already ends with its patterns in brackets is used as it stands.
QString nameFilter(const FileFilter& filter) {
    QString patterns = filter.pattern;
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (filter.label.endsWith(QLatin1Char('(') + patterns + QLatin1Char(')')) ||
        filter.label.endsWith(QLatin1Char('(') + filter.pattern + QLatin1Char(')')))
        return filter.label;
    return filter.label + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

class QtDialogPresenter : public DialogPresenter {
public:
    std::optional<FileDialogResult> showOpen(const FileDialogRequest& request) override {
        return showFile(request, QFileDialog::AcceptOpen);
    }
    std::optional<FileDialogResult> showSave(const FileDialogRequest& request) override {
        return showFile(request, QFileDialog::AcceptSave);
    }

    std::optional<OleColor> showColor(OleColor initial, qint32 flags) override {
        QColorDialog dialog(QApplication::activeWindow());
        if (flags & 1)
            dialog.setCurrentColor(toQColor(initial));
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return fromQColor(dialog.selectedColor());
    }

    std::optional<FontChoice> showFont(const FontChoice& initial, qint32) override {
        QFont font(initial.name);
        if (initial.size > 0)
            font.setPointSizeF(initial.size);
        font.setBold(initial.bold);
        font.setItalic(initial.italic);
        font.setUnderline(initial.underline);
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, font, QApplication::activeWindow());
        if (!ok)
            return std::nullopt;
        return FontChoice{chosen.family(), chosen.pointSizeF(), chosen.bold(), chosen.italic(),
                          chosen.underline()};
    }

private:
    static std::optional<FileDialogResult> showFile(const FileDialogRequest& request,
                                                    QFileDialog::AcceptMode mode) {
        QFileDialog dialog(QApplication::activeWindow(), request.title);
        // Qt's own dialog on every desktop: the same look and the same
        // behaviour everywhere, and scriptable in the end-to-end tests.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
        QStringList filters;
        for (const FileFilter& filter : request.filters)
            filters.append(nameFilter(filter));
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            dialog.selectNameFilter(filters.value(request.selectedFilter));
        }
        dialog.selectFile(request.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return FileDialogResult{dialog.selectedFiles().constFirst(),
                                int(qMax<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())))};
    }
};

class SystemFontSource : public FontSource {
public:
    QStringList families() override { return QFontDatabase::families(); }
};

} // namespace

Platform qtPlatform() {
    return Platform{std::make_unique<QtDialogPresenter>(), std::make_unique<QtMessageBoxes>(),
                    std::make_unique<SystemFontSource>(), QCoreApplication::applicationDirPath(),
                    [] {
                        // No more events, no unload of anything else: the
                        // process ends here, and the X server drops what it held.
                        std::fflush(nullptr);
                        std::_Exit(0);
                    }};
}
