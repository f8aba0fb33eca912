#pragma once

#include <QByteArray>
#include <QString>

namespace rtf {

class DocumentSink;

// A file that is not RTF: a byte-order mark (UTF-8, UTF-16 LE or BE) decides
// its encoding, otherwise valid UTF-8 is UTF-8 and anything else Windows-1252.
QString decodePlainText(const QByteArray& bytes);

// Feeds decoded plain text to a sink, one paragraph per line. CR LF, LF and CR
// each end a line; a final line break adds no empty paragraph, so text that
// Ferrotab wrote (Text and one CR LF) reads back as the same paragraphs. The
// runs carry no format, so the document's default font shows.
void readPlainText(const QString& text, DocumentSink& sink);

} // namespace rtf
