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

// loadBytes on a file's content. Throws RuntimeError with the system's
// description when the file cannot be read; the document is then unchanged.
void loadFile(QTextDocument& document, const QString& path);

// The whole document as RTF (see writeRtf).
QByteArray saveBytes(const QTextDocument& document);

// Writes saveBytes to the path through QSaveFile: an existing file is replaced
// only when the whole new one is on disk. Throws RuntimeError with the
// system's description on failure, leaving any old file as it was.
void saveFile(const QTextDocument& document, const QString& path);

// Writes plain bytes the same safe way (for the tool's plain-text output).
void saveRawFile(const QByteArray& bytes, const QString& path);

} // namespace rtf
