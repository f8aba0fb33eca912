#pragma once

#include <QRgb>
#include <QString>
#include <QStringView>
#include <optional>

namespace rtf {

enum class VerticalPosition { Normal, Super, Sub };

// The character format of a run, resolved: font name instead of font number,
// RGB instead of colour-table index. An empty family means "no font named".
struct RunFormat {
    QString family;
    double points = 0; // 0: no size of its own (the document's default font shows)
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    std::optional<QRgb> color;
    std::optional<QRgb> background;
    VerticalPosition position = VerticalPosition::Normal;

    bool operator==(const RunFormat&) const = default;
};

enum class Alignment { Left, Center, Right, Justify };

enum class ListKind { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

// A paragraph's format; lengths in twips as RTF gives them.
struct ParagraphFormat {
    Alignment alignment = Alignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    ListKind list = ListKind::None;
    int listLevel = 0; // 0 to 8

    bool operator==(const ParagraphFormat&) const = default;
};

// The reader's only output. Calls come in document order: the runs of a
// paragraph, then its end. Pictures and table structure will get calls of
// their own; until then the reader skips pictures and ends a paragraph per cell.
class DocumentSink {
public:
    virtual ~DocumentSink() = default;
    // Text of one run; never empty, never holds a paragraph break.
    virtual void text(QStringView text, const RunFormat& format) = 0;
    // Ends the paragraph whose runs came since the last end. markFormat is the
    // character format at the paragraph mark, which an empty paragraph shows.
    virtual void endParagraph(const ParagraphFormat& format, const RunFormat& markFormat) = 0;
    // The end of the document; no call follows.
    virtual void finish() {}
};

} // namespace rtf
