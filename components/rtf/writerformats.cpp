#include "components/rtf/writerformats.h"

#include "components/rtf/qtsink.h"
#include "components/rtf/units.h"

#include <QTextList>
#include <cmath>

namespace rtf {

WriterTables::WriterTables(const QFont& defaultFont, bool namesDefaultFont)
    : defaultFont_(defaultFont) {
    if (namesDefaultFont)
        fontIndex(defaultFont.family());
    else
        fonts_.append(QString());
}

int WriterTables::fontIndex(const QString& family) {
    auto found = fontIndex_.constFind(family);
    if (found != fontIndex_.constEnd())
        return found.value();
    fonts_.append(family);
    fontIndex_.insert(family, static_cast<int>(fonts_.size() - 1));
    return static_cast<int>(fonts_.size() - 1);
}

int WriterTables::colorIndex(const QBrush& brush) {
    if (brush.style() == Qt::NoBrush)
        return 0;
    const QRgb rgb = brush.color().rgb() & 0xFFFFFF;
    auto found = colorIndex_.constFind(rgb);
    if (found != colorIndex_.constEnd())
        return found.value();
    colors_.append(rgb);
    // Entry 0 of the table is the empty "auto" one.
    colorIndex_.insert(rgb, static_cast<int>(colors_.size()));
    return static_cast<int>(colors_.size());
}

WrittenFormat WriterTables::add(const QTextCharFormat& format) {
    WrittenFormat written;
    QString family;
    if (format.hasProperty(QTextFormat::FontFamilies))
        family = format.property(QTextFormat::FontFamilies).toStringList().value(0);
    if (family.isEmpty() && format.hasProperty(QTextFormat::FontFamily))
        family = format.property(QTextFormat::FontFamily).toString();
    written.font = family.isEmpty() ? 0 : fontIndex(family);
    // What the run shows: its own size, else the document's.
    double points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize() : 0;
    if (points <= 0)
        points = defaultFont_.pointSizeF() > 0 ? defaultFont_.pointSizeF() : 12.0;
    written.halfPoints = std::max(1, units::halfPointsFromPoints(points));
    written.bold = format.hasProperty(QTextFormat::FontWeight)
                       ? format.fontWeight() >= QFont::DemiBold
                       : defaultFont_.bold();
    written.italic =
        format.hasProperty(QTextFormat::FontItalic) ? format.fontItalic() : defaultFont_.italic();
    // Any line style is underlined; fontUnderline() counts the single one only.
    written.underline = format.hasProperty(QTextFormat::TextUnderlineStyle)
                            ? format.underlineStyle() != QTextCharFormat::NoUnderline &&
                                  format.underlineStyle() != QTextCharFormat::SpellCheckUnderline
                        : format.hasProperty(QTextFormat::FontUnderline) ? format.fontUnderline()
                                                                         : defaultFont_.underline();
    written.strike = format.hasProperty(QTextFormat::FontStrikeOut) ? format.fontStrikeOut()
                                                                    : defaultFont_.strikeOut();
    written.color = colorIndex(format.foreground());
    written.background = colorIndex(format.background());
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        written.position = VerticalPosition::Super;
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        written.position = VerticalPosition::Sub;
    RunFormat typography;
    typography.underline = written.underline;
    readTypography(format, typography);
    written.underlineStyle = typography.underlineStyle;
    written.caps = typography.caps;
    written.spacing = typography.spacing;
    written.raise = typography.raise;
    written.kept = typography.kept;
    return written;
}

ListKind listKindOf(const QTextList* list) {
    if (!list)
        return ListKind::None;
    switch (list->format().style()) {
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare:
        return ListKind::Bullet;
    case QTextListFormat::ListLowerAlpha:
        return ListKind::LowerAlpha;
    case QTextListFormat::ListUpperAlpha:
        return ListKind::UpperAlpha;
    case QTextListFormat::ListLowerRoman:
        return ListKind::LowerRoman;
    case QTextListFormat::ListUpperRoman:
        return ListKind::UpperRoman;
    default:
        return ListKind::Decimal;
    }
}

} // namespace rtf
