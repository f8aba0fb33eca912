#pragma once

#include <optional>

#include "components/rtf/documentsink.h"

#include <QFont>
#include <QHash>
#include <QStringList>
#include <QTextCharFormat>
#include <QVector>

class QTextList;

namespace rtf {

// A run's format as the file will state it: indices into the tables written.
struct WrittenFormat {
    int font = 0;
    int eastAsianFont = -1; // -1: the font above
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    UnderlineStyle underlineStyle = 0;
    bool strike = false;
    int color = 0;      // 0: auto
    int background = 0; // 0: none
    VerticalPosition position = VerticalPosition::Normal;
    Caps caps = Caps::None;
    int spacing = 0; // twips
    int raise = 0;   // half points
    QByteArray kept; // words the editor does not show

    bool operator==(const WrittenFormat&) const = default;
};

// The font and colour tables of one document, in order of first use, and the
// translation of Qt's formats into table indices. Font 0 is always the
// document's default font, so \deff0 and runs without a family agree; when
// the document leaves that font to the reader, font 0 has no name and no entry.
class WriterTables {
public:
    explicit WriterTables(const QFont& defaultFont, bool namesDefaultFont = true);

    // A run's format as the file states it, its fonts and colours added to
    // the tables when new.
    WrittenFormat add(const RunFormat& run);
    // The table numbers of a family and of a colour (0 for none), added when new.
    int fontNumber(const QString& family) { return family.isEmpty() ? 0 : fontIndex(family); }
    int colorNumber(std::optional<QRgb> rgb) { return rgb ? colorIndex(QBrush(QColor(*rgb))) : 0; }
    const QStringList& fonts() const { return fonts_; }
    const QVector<QRgb>& colors() const { return colors_; }

private:
    int fontIndex(const QString& family);
    int colorIndex(const QBrush& brush);

    QFont defaultFont_;
    QStringList fonts_;
    QHash<QString, int> fontIndex_;
    QVector<QRgb> colors_;
    QHash<QRgb, int> colorIndex_;
};

} // namespace rtf
