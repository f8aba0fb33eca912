#pragma once

#include "components/rtf/documentsink.h"

class QTextDocument;

namespace rtf {

// Walks a document as the reader walks a file, and tells a sink what it
// finds with the same calls in the same order: the document's kept pieces and
// whether it names its default font, then each paragraph's runs and pictures
// and its end, each cell's and row's end, and finish(). Reading a file into a
// document and walking it gives what reading the file gave, up to what the
// document cannot hold (see the round-trip tests).
void walkDocument(const QTextDocument& document, DocumentSink& sink);

} // namespace rtf
