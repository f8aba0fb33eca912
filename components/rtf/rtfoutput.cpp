#include "components/rtf/rtfoutput.h"

#include "components/rtf/codepage.h"
#include "components/rtf/symbolfont.h"

#include <algorithm>

namespace rtf {
namespace {

constexpr qsizetype softLineLength = 100; // break at the next space
constexpr qsizetype hardLineLength = 200; // break anywhere between characters

const char hexDigits[] = "0123456789abcdef";

} // namespace

void RtfOutput::raw(std::string_view text) {
    bytes_.append(text.data(), static_cast<qsizetype>(text.size()));
    needsDelimiter_ = false;
}

void RtfOutput::words(QByteArrayView words) {
    if (words.isEmpty())
        return;
    if (needsDelimiter_ && !words.startsWith('\\')) {
        delimitedAtStart_ = delimitedAtStart_ || bytes_.isEmpty();
        bytes_.append(' ');
    }
    bytes_.append(words);
    needsDelimiter_ = true;
}

void RtfOutput::word(std::string_view name) {
    bytes_.append('\\');
    bytes_.append(name.data(), static_cast<qsizetype>(name.size()));
    needsDelimiter_ = true;
}

void RtfOutput::word(std::string_view name, int parameter) {
    word(name);
    bytes_.append(QByteArray::number(parameter));
}

bool RtfOutput::dropLeadingWord(std::string_view name) {
    const auto length = static_cast<qsizetype>(name.size()) + 1;
    if (bytes_.size() <= length || bytes_[0] != '\\' || bytes_[length] != '\\' ||
        QByteArrayView(bytes_).sliced(1, length - 1) != QByteArrayView(name))
        return false;
    bytes_.remove(0, length);
    lineStart_ = std::max<qsizetype>(0, lineStart_ - length);
    return true;
}

void RtfOutput::endLine() {
    bytes_.append("\r\n");
    lineStart_ = bytes_.size();
    needsDelimiter_ = false;
}

void RtfOutput::delimit() {
    if (needsDelimiter_) {
        delimitedAtStart_ = delimitedAtStart_ || bytes_.isEmpty();
        bytes_.append(' ');
        needsDelimiter_ = false;
    }
}

void RtfOutput::append(RtfOutput& tail) {
    if (!tail.bytes_.isEmpty()) {
        const qsizetype skip = tail.delimitedAtStart_ && !needsDelimiter_ ? 1 : 0;
        const qsizetype start = bytes_.size() - skip;
        bytes_.append(QByteArrayView(tail.bytes_).sliced(skip));
        if (tail.lineStart_ > 0)
            lineStart_ = start + tail.lineStart_;
        needsDelimiter_ = tail.needsDelimiter_;
    }
    tail.bytes_.resize(0);
    tail.lineStart_ = 0;
    tail.needsDelimiter_ = tail.continuation_;
    tail.delimitedAtStart_ = false;
}

void RtfOutput::insert(qsizetype at, QByteArrayView bytes) {
    bytes_.insert(at, bytes);
    if (lineStart_ >= at)
        lineStart_ += bytes.size();
}

void RtfOutput::wrap(bool atSpace) {
    const qsizetype length = bytes_.size() - lineStart_;
    if (breakLines_ && (length >= hardLineLength || (atSpace && length >= softLineLength)))
        endLine();
}

void RtfOutput::textByte(char c) {
    delimit();
    bytes_.append(c);
}

void RtfOutput::text(QStringView text, bool symbolFont) {
    const CodePages& pages = CodePages::instance();
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (symbolFont && c > 0x20 && c != 0x2028) {
            const auto byte = symbolByte(c);
            if (byte && *byte != c) {
                const char escaped[] = {'\\', '\'', hexDigits[*byte >> 4], hexDigits[*byte & 15]};
                raw(std::string_view(escaped, 4));
                wrap(false);
                continue;
            }
            if (!byte) {
                // The byte of any other character would read as the font's
                // own (a Latin a as alpha): Unicode only.
                word("u", c > 0x7FFF ? static_cast<int>(c) - 0x10000 : static_cast<int>(c));
                raw("?");
                wrap(false);
                continue;
            }
        }
        if (c >= 0x20 && c < 0x7F) {
            if (c == u'\\' || c == u'{' || c == u'}') {
                bytes_.append('\\');
                needsDelimiter_ = false;
            }
            textByte(static_cast<char>(c));
            wrap(c == u' ');
            continue;
        }
        switch (c) {
        case u'\t':
            word("tab");
            break;
        case 0x2028:
            word("line");
            break;
        case 0x00A0:
            raw("\\~");
            break;
        case 0x00AD:
            raw("\\-");
            break;
        case 0x2011:
            raw("\\_");
            break;
        default:
            if (c < 0x20 || c == 0xFFFC || c == 0x7F)
                continue; // control characters and object markers are not text
            if (const auto byte = pages.encode1252(c)) {
                const char escaped[] = {'\\', '\'', hexDigits[*byte >> 4], hexDigits[*byte & 15]};
                raw(std::string_view(escaped, 4));
            } else {
                word("u", c > 0x7FFF ? static_cast<int>(c) - 0x10000 : static_cast<int>(c));
                raw("?");
            }
        }
        wrap(false);
    }
}

} // namespace rtf

namespace rtf {

void RtfOutput::hex(QByteArrayView data) {
    constexpr qsizetype bytesPerLine = 64;
    bytes_.reserve(bytes_.size() + data.size() * 2 + data.size() / bytesPerLine * 2 + 2);
    for (qsizetype start = 0; start < data.size(); start += bytesPerLine) {
        const qsizetype end = std::min(data.size(), start + bytesPerLine);
        for (qsizetype i = start; i < end; ++i) {
            const auto byte = static_cast<unsigned char>(data[i]);
            const char pair[2] = {hexDigits[byte >> 4], hexDigits[byte & 15]};
            bytes_.append(pair, 2);
        }
        endLine();
    }
    needsDelimiter_ = false;
}

} // namespace rtf
