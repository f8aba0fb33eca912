#include "components/commondialog.h"

QList<FileFilter> CommonDialog::parseFilter(const QString& filter) {
    QList<FileFilter> filters;
    if (filter.isEmpty())
        return filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString pattern = i + 1 < parts.size() ? parts.at(i + 1) : QStringLiteral("*");
        filters.append({parts.at(i), pattern.isEmpty() ? QStringLiteral("*") : pattern});
    }
    return filters;
}

FileDialogRequest CommonDialog::fileRequest() const {
    FileDialogRequest request;
    request.title = DialogTitle;
    request.filters = parseFilter(Filter);
    const int index = FilterIndex - 1;
    request.selectedFilter = index >= 0 && index < request.filters.size() ? index : 0;
    request.fileName = FileName;
    return request;
}

void CommonDialog::takeFileResult(const std::optional<FileDialogResult>& result) {
    if (!result)
        return;
    FileName = result->fileName;
    FilterIndex = qint16(result->selectedFilter + 1);
}

void CommonDialog::ShowOpen() {
    takeFileResult(presenter_.showOpen(fileRequest()));
}

void CommonDialog::ShowSave() {
    takeFileResult(presenter_.showSave(fileRequest()));
}

bool CommonDialog::ShowColor() {
    const auto color = presenter_.showColor(Color, Flags);
    if (color)
        Color = *color;
    return color.has_value();
}

bool CommonDialog::ShowFont() {
    const FontChoice initial{FontName, FontSize, FontBold, FontItalic, FontUnderline};
    const auto font = presenter_.showFont(initial, Flags);
    if (font) {
        FontName = font->name;
        FontSize = font->size;
        FontBold = font->bold;
        FontItalic = font->italic;
        FontUnderline = font->underline;
    }
    return font.has_value();
}
