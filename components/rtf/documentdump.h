#pragma once

#include <QByteArray>
#include <QString>

#include "components/rtf/textrule.h"

class QTextDocument;

namespace rtf {

// The document as indented JSON, for the tool and for tests that compare whole
// documents: per paragraph its alignment, indents and spacing in twips, list
// kind and level; per run its text and every character format, with the
// document's default font filled in where a run has none of its own.
QByteArray dumpDocument(const QTextDocument& document);

} // namespace rtf
