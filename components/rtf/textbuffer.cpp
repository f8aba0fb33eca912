#include "components/rtf/textbuffer.h"

#include "components/rtf/codepage.h"

#include <algorithm>

namespace rtf {
namespace {

bool isAscii(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Characters the document model must not receive as text: paragraph breaks
// (the reader ends paragraphs itself), Qt's own frame and object markers, and
// control characters other than the tab (DEL too: the writer has no way to
// keep it). A surrogate without its partner is not text either.
bool needsCleaning(QChar c) {
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t') || u == 0x7F || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 ||
           u == 0xFFFC || c.isSurrogate();
}

} // namespace

void removeNonText(QString& text) {
    if (std::none_of(text.cbegin(), text.cend(), needsCleaning))
        return;
    QString cleaned;
    cleaned.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            cleaned += c;
            cleaned += text[++i];
        } else if (c.isSurrogate()) {
            cleaned += QChar::ReplacementCharacter;
        } else if (!needsCleaning(c)) {
            cleaned += c;
        }
    }
    text = cleaned;
}

void TextBuffer::appendBytes(std::string_view bytes, int codePage) {
    if (!bytes_.empty() && codePage != codePage_)
        decodeBytes();
    // ASCII with nothing pending is the same in every code page we use: skip the
    // converter for the bulk of a typical file.
    if (bytes_.empty() && isAscii(bytes)) {
        text_.append(QLatin1StringView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        return;
    }
    codePage_ = codePage;
    bytes_.append(bytes);
}

void TextBuffer::appendChar(char16_t c) {
    decodeBytes();
    text_.append(QChar(c));
}

void TextBuffer::decodeBytes() {
    if (bytes_.empty())
        return;
    CodePages::instance().decode(codePage_, bytes_, text_);
    bytes_.clear();
}

const QString& TextBuffer::text() {
    decodeBytes();
    removeNonText(text_);
    return text_;
}

void TextBuffer::clear() {
    bytes_.clear();
    text_.resize(0); // keeps the allocation for the next run
}

} // namespace rtf
