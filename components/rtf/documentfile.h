#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace rtf {

// True when the content is RTF: it starts with "{\rtf" (after a UTF-8
// byte-order mark, which some programs put before it).
bool isRtf(const QByteArray& content);

// Replaces the document's whole content with what the bytes hold: RTF when
// isRtf, else plain text (see readPlainText). Builds in one edit block with
// undo off; the undo history is gone afterwards and the default font is not
// touched. Never throws on content: what can be read is shown.
void loadBytes(QTextDocument& document, const QByteArray& content);

// The whole document as RTF (see writeRtf).
QByteArray saveBytes(const QTextDocument& document);

} // namespace rtf
