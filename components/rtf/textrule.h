#pragma once

#include <QLatin1StringView>
#include <QString>

class QTextDocument;

namespace rtf {

// The surface's Text of a document, the one rule every reader of it follows:
// paragraphs joined by CR LF, a line break inside a paragraph as LF. A
// paragraph break counts two characters, so a document position's Text offset
// is the position plus the number of paragraphs before it.
inline constexpr QLatin1StringView kParagraphBreak("\r\n");
inline constexpr char16_t kLineBreak = u'\n';

QString documentText(const QTextDocument& document);

// A document position's offset in Text, in O(log n).
qsizetype textOffsetOf(const QTextDocument& document, qsizetype position);
// The document position of a Text offset; an offset on the CR or the LF of a
// break lands on the paragraph's end, one beyond the end on the last position.
qsizetype positionOfTextOffset(const QTextDocument& document, qsizetype offset);

} // namespace rtf
