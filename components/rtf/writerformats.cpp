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

WrittenFormat WriterTables::add(const RunFormat& run) {
    WrittenFormat written;
    if (run.eastAsianFamily.isEmpty()) {
        written.font = fontNumber(run.family);
    } else {
        written.font = fontNumber(run.latinFamily);
        // Text in the font the file left to the reader has no \f to follow
        // an East Asian font's, and its bytes would decode in that one (a
        // Symbol font's): such text keeps no East Asian font.
        if (!fonts().value(written.font).isEmpty())
            written.eastAsianFont = fontNumber(run.eastAsianFamily);
    }
    // What the run shows: its own size, else the document's.
    const double points = run.points > 0                  ? run.points
                          : defaultFont_.pointSizeF() > 0 ? defaultFont_.pointSizeF()
                                                          : 12.0;
    written.halfPoints = std::max(1, units::halfPointsFromPoints(points));
    written.bold = run.bold;
    written.italic = run.italic;
    written.underline = run.underline;
    written.underlineStyle = run.underlineStyle;
    written.strike = run.strike;
    written.color = colorNumber(run.color);
    written.background = colorNumber(run.background);
    written.position = run.position;
    written.caps = run.caps;
    written.spacing = run.spacing;
    written.raise = run.raise;
    written.kept = run.kept;
    return written;
}

} // namespace rtf
