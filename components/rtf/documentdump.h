#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace rtf {

// The surface's Text of a document: paragraphs joined by CR LF, a line break
// inside a paragraph as LF.
QString documentText(const QTextDocument& document);

// The document as indented JSON, for the tool and for tests that compare whole
// documents: per paragraph its alignment, indents and spacing in twips, list
// kind and level; per run its text and every character format, with the
// document's default font filled in where a run has none of its own.
QByteArray dumpDocument(const QTextDocument& document);

} // namespace rtf
