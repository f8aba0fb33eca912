#include "components/rtf/plaintext.h"

#include "components/rtf/codepage.h"
#include "components/rtf/documentsink.h"
#include "components/rtf/textbuffer.h"

#include <QStringDecoder>

namespace rtf {
namespace {

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder(bytes);
}

// Qt keeps its frame markers and the paragraph separator out of block text;
// as characters inside a line they would break the document's structure.
// They are marked rather than dropped, since a text file meant something by
// them.
void replaceStructureCharacters(QString& text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC)
            c = QChar::ReplacementCharacter;
    }
}

} // namespace

QString decodePlainText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3));
    if (bytes.startsWith("\xFF\xFE"))
        return decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2));
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    text.clear();
    CodePages::instance().decode(1252, std::string_view(bytes.constData(), bytes.size()), text);
    return text;
}

void readPlainText(const QString& decoded, DocumentSink& sink) {
    QString text = decoded;
    replaceStructureCharacters(text);
    const RunFormat format;
    const ParagraphFormat paragraph;
    const qsizetype size = text.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        QString line = text.sliced(start, end - start);
        removeNonText(line);
        if (!line.isEmpty())
            sink.text(line, format);
        sink.endParagraph(paragraph, format);
        if (end < size && text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    sink.finish();
}

} // namespace rtf
