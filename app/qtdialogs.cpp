#include "app/qtdialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>

namespace {

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
        return FileDialogResult{
            dialog.selectedFiles().constFirst(),
            int(qMax<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())))};
    }
};

} // namespace

std::unique_ptr<DialogPresenter> qtDialogPresenter() {
    return std::make_unique<QtDialogPresenter>();
}
