#include "components/rtf/textbuffer.h"

#include "components/rtf/codepage.h"
#include "components/rtf/symbolfont.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rtf {
namespace {

// Characters the document model must not receive as text: paragraph breaks
// (the reader ends paragraphs itself), Qt's own frame and object markers, and
// control characters other than the tab (DEL too: the writer has no way to
// keep it). A surrogate without its partner is not text either.
bool needsCleaning(QChar c) {
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t') || u == 0x7F || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 ||
           u == 0xFFFC || c.isSurrogate();
}

bool anyNeedsCleaning(const QChar* from, const QChar* to) {
    return std::any_of(from, to, needsCleaning);
}

enum class Bytes { Text, AsciiControls, NotAscii };

enum ByteFlags : std::uint8_t { Control = 1, NotAscii = 2 };

constexpr std::array<std::uint8_t, 256> makeByteFlags() {
    std::array<std::uint8_t, 256> flags{};
    for (int c = 0; c < 0x20; ++c)
        flags[c] = c == '\t' ? 0 : Control;
    flags[0x7F] = Control;
    for (int c = 0x80; c <= 0xFF; ++c)
        flags[c] = NotAscii;
    return flags;
}
constexpr std::array<std::uint8_t, 256> byteFlags = makeByteFlags();

// What a run of bytes holds, in one pass: printable ASCII and tabs only (most
// of a file), ASCII with control characters, or bytes above ASCII.
Bytes classify(std::string_view bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    [[maybe_unused]] bool controls = false;
#if defined(__SSE2__)
    const __m128i space = _mm_set1_epi8(0x20);
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i del = _mm_set1_epi8(0x7F);
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (_mm_movemask_epi8(v) != 0)
            return Bytes::NotAscii;
        // Signed compare: with the high bit clear, below 0x20 is a control.
        const __m128i control =
            _mm_or_si128(_mm_andnot_si128(_mm_cmpeq_epi8(v, tab), _mm_cmplt_epi8(v, space)),
                         _mm_cmpeq_epi8(v, del));
        controls = controls || _mm_movemask_epi8(control) != 0;
    }
#endif
    unsigned flags = 0;
    for (; p < end; ++p)
        flags |= byteFlags[static_cast<unsigned char>(*p)];
    if (flags & NotAscii)
        return Bytes::NotAscii;
    return controls || (flags & Control) ? Bytes::AsciiControls : Bytes::Text;
}

} // namespace

void removeNonText(QString& text) {
    const QChar* const begin = text.cbegin();
    const QChar* const first = std::find_if(begin, text.cend(), needsCleaning);
    if (first == text.cend())
        return;
    const qsizetype size = text.size();
    QString cleaned;
    cleaned.reserve(size);
    cleaned.append(begin, first - begin);
    for (qsizetype i = first - begin; i < size; ++i) {
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
    if (decodedCodePage_ != codePage)
        decodedTable_ = nullptr;
    if (!bytes_.empty() && codePage != codePage_)
        decodeBytes();
    closeSurrogate();
    if (!decodedTable_ && bytes_.empty()) {
        // ASCII with nothing pending is the same in every code page we use
        // (not in the Symbol font, whose letters are Greek): skip the
        // converter for the bulk of a typical file.
        const Bytes kind = codePage == symbolCodePage ? Bytes::NotAscii : classify(bytes);
        if (kind != Bytes::NotAscii) {
            text_.append(QLatin1StringView(bytes.data(), static_cast<qsizetype>(bytes.size())));
            unclean_ = unclean_ || kind == Bytes::AsciiControls;
            return;
        }
        // A single-byte code page needs no byte that follows: decode now.
        decodedTable_ = singleByteTable(codePage);
        decodedCodePage_ = codePage;
    }
    if (decodedTable_) {
        const qsizetype start = text_.size();
        text_.resize(start + static_cast<qsizetype>(bytes.size()));
        QChar* out = text_.data() + start;
        bool unclean = false;
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            *out++ = QChar(decodedTable_->table->chars[byte]);
            unclean |= decodedTable_->unclean[byte];
        }
        unclean_ = unclean_ || unclean;
        return;
    }
    codePage_ = codePage;
    bytes_.append(bytes);
}

void TextBuffer::appendChar(char16_t c) {
    decodedTable_ = nullptr;
    decodeBytes();
    const QChar ch(c);
    // A surrogate pair from two \uN is text; only a half without its partner
    // needs removeNonText().
    if (ch.isLowSurrogate() && openSurrogate_) {
        openSurrogate_ = false;
    } else {
        closeSurrogate();
        if (ch.isHighSurrogate())
            openSurrogate_ = true;
        else
            unclean_ = unclean_ || needsCleaning(ch);
    }
    text_.append(ch);
}

void TextBuffer::closeSurrogate() {
    if (openSurrogate_) {
        unclean_ = true;
        openSurrogate_ = false;
    }
}

void TextBuffer::decodeBytes() {
    if (bytes_.empty())
        return;
    closeSurrogate();
    const qsizetype start = text_.size();
    CodePages::instance().decode(codePage_, bytes_, text_);
    unclean_ = unclean_ || anyNeedsCleaning(text_.cbegin() + start, text_.cend());
    bytes_.clear();
}

const TextBuffer::CachedTable* TextBuffer::singleByteTable(int codePage) {
    for (const CachedTable& cached : tables_)
        if (cached.codePage == codePage)
            return cached.table ? &cached : nullptr;
    CachedTable& slot = tables_[nextTable_];
    nextTable_ = (nextTable_ + 1) % tables_.size();
    slot.codePage = codePage;
    slot.table = CodePages::instance().singleByteTable(codePage);
    if (!slot.table)
        return nullptr;
    for (int byte = 0; byte <= 0xFF; ++byte)
        slot.unclean[byte] = needsCleaning(QChar(slot.table->chars[byte]));
    return &slot;
}

const QString& TextBuffer::text() {
    decodedTable_ = nullptr;
    decodeBytes();
    closeSurrogate();
    if (unclean_) {
        removeNonText(text_);
        unclean_ = false;
    }
    return text_;
}

void TextBuffer::clear() {
    decodedTable_ = nullptr;
    bytes_.clear();
    text_.resize(0); // keeps the allocation for the next run
    unclean_ = false;
    openSurrogate_ = false;
}

} // namespace rtf
