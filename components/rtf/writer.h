#pragma once

#include <QByteArray>

class QTextDocument;

namespace rtf {

// The whole document as a complete RTF file: {\rtf1\ansi\ansicpg1252\deff0\uc1,
// a font table and a colour table of what the document uses, Word's list
// tables with the legacy \pn for older readers, then per paragraph its
// alignment, indents, spacing and list, per run its full character format.
// The size a run shows comes from the document's default font when the run has
// none of its own. The same document always gives the same bytes, and reading
// them back gives the same document. Lines stay short.
QByteArray writeRtf(const QTextDocument& document);

} // namespace rtf
