#include "app/qtdialogs.h"
#include "app/fontchooser.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>

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

    // The dialog always opens on the colour it is given, whatever the flags
    // say: that is the colour being replaced, so OK without a choice puts it
    // back instead of some other one. Qt's dialog has no collapsed custom
    // part, so the flag that would expand it has nothing to do either.
    std::optional<OleColor> showColor(OleColor initial, qint32) override {
        QColorDialog dialog(QApplication::activeWindow());
        dialog.setCurrentColor(toQColor(initial));
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return fromQColor(dialog.selectedColor());
    }

    // Our own dialog, not Qt's: see FontChooser. It lists every family
    // fontconfig has whatever the flags, and has no effects part to request.
    std::optional<FontChoice> showFont(const FontChoice& initial, qint32) override {
        FontChooser dialog(initial, QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.choice();
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
