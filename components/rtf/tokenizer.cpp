#include "components/rtf/tokenizer.h"

#include "components/rtf/codepage.h"

#include <algorithm>
#include <array>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rtf {
namespace {

// What each byte is to the tokenizer, looked up once per byte instead of a
// chain of comparisons: the text and control-word loops run over every byte
// of a file.
enum ByteClass : std::uint8_t {
    Letter = 1,
    Digit = 2,
    // Bytes that end a run of text. CR, LF and NUL carry no meaning in RTF
    // text and are dropped between runs.
    EndsText = 4,
};

constexpr std::array<std::uint8_t, 256> makeByteClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 'a'; c <= 'z'; ++c)
        classes[c] = Letter;
    for (int c = 'A'; c <= 'Z'; ++c)
        classes[c] = Letter;
    for (int c = '0'; c <= '9'; ++c)
        classes[c] = Digit;
    for (const char c : {'\\', '{', '}', '\r', '\n', '\0'})
        classes[static_cast<unsigned char>(c)] = EndsText;
    return classes;
}
constexpr std::array<std::uint8_t, 256> byteClasses = makeByteClasses();

bool is(char c, ByteClass kind) {
    return (byteClasses[static_cast<unsigned char>(c)] & kind) != 0;
}
bool isLetter(char c) {
    return is(c, Letter);
}
bool isDigit(char c) {
    return is(c, Digit);
}
bool endsText(char c) {
    return is(c, EndsText);
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The first byte at or after from that ends a run of text (or end). Text runs
// make up most of a file, so sixteen bytes are tested at a time where SSE2 is
// there (every x86-64 has it); the table does the rest.
std::size_t findTextEnd(const char* data, std::size_t from, std::size_t end) {
#if defined(__SSE2__)
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i open = _mm_set1_epi8('{');
    const __m128i close = _mm_set1_epi8('}');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (end - from >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
        const __m128i hits = _mm_or_si128(
            _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(bytes, backslash), _mm_cmpeq_epi8(bytes, open)),
                _mm_or_si128(_mm_cmpeq_epi8(bytes, close), _mm_cmpeq_epi8(bytes, cr))),
            _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, zero)));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0)
            return from + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        from += 16;
    }
#endif
    while (from < end && !endsText(data[from]))
        ++from;
    return from;
}

} // namespace

Token Tokenizer::next() {
    while (pos_ < data_.size()) {
        const std::size_t start = pos_;
        const char c = data_[pos_];
        switch (c) {
        case '{':
            ++pos_;
            return {TokenType::GroupStart, data_.substr(start, 1), 0, false, start};
        case '}':
            ++pos_;
            return {TokenType::GroupEnd, data_.substr(start, 1), 0, false, start};
        case '\\':
            return controlSequence(start);
        case '\r':
        case '\n':
        case 0:
            ++pos_;
            continue;
        default:
            return text(start);
        }
    }
    return {TokenType::End, {}, 0, false, data_.size()};
}

void Tokenizer::setCodePage(int codePage) {
    codePage_ = codePage;
    hasLeadBytes_ = isLeadByte(codePage, 0x81);
}

Token Tokenizer::text(std::size_t start) {
    std::size_t end = start;
    if (!hasLeadBytes_) {
        end = findTextEnd(data_.data(), start, data_.size());
    } else {
        while (end < data_.size() && !endsText(data_[end])) {
            // Every trail byte of these code pages is 0x40 or above, so a line
            // end or NUL after a lead byte is still no part of the character.
            const bool pair = isLeadByte(codePage_, static_cast<unsigned char>(data_[end])) &&
                              end + 1 < data_.size() &&
                              static_cast<unsigned char>(data_[end + 1]) >= 0x40;
            end += pair ? 2 : 1;
        }
    }
    pos_ = end;
    return {TokenType::Text, data_.substr(start, end - start), 0, false, start};
}

Token Tokenizer::controlSequence(std::size_t start) {
    pos_ = start + 1;
    if (pos_ >= data_.size())
        return {TokenType::End, {}, 0, false, data_.size()};
    const char c = data_[pos_];
    if (isLetter(c))
        return controlWord(start);
    ++pos_;
    if (c == '\'') {
        const int high = pos_ < data_.size() ? hexValue(data_[pos_]) : -1;
        const int low = pos_ + 1 < data_.size() ? hexValue(data_[pos_ + 1]) : -1;
        if (high < 0 || low < 0) {
            // A broken escape still stands for one character (it may be a \u
            // fallback): take up to two bytes after the quote, never a brace or
            // backslash, and hand it on as an unknown symbol.
            for (int i = 0; i < 2 && pos_ < data_.size(); ++i) {
                const char d = data_[pos_];
                if (d == '\\' || d == '{' || d == '}')
                    break;
                ++pos_;
            }
            return {TokenType::ControlSymbol, data_.substr(start + 1, 1), 0, false, start};
        }
        pos_ += 2;
        return {TokenType::HexByte, data_.substr(start, 4), high * 16 + low, true, start};
    }
    // A backslash before a line end is the old spelling of \par.
    if (c == '\r' || c == '\n')
        return {TokenType::ControlWord, "par", 0, false, start};
    return {TokenType::ControlSymbol, data_.substr(start + 1, 1), 0, false, start};
}

Token Tokenizer::controlWord(std::size_t start) {
    // Pointers rather than indices: this runs for every control word of a file.
    const char* const begin = data_.data();
    const char* const last = begin + data_.size();
    const char* p = begin + start + 1;
    while (p < last && isLetter(*p))
        ++p;
    Token token{
        TokenType::ControlWord,
        std::string_view(begin + start + 1, static_cast<std::size_t>(p - begin) - start - 1), 0,
        false, start};
    bool negative = false;
    if (last - p >= 2 && *p == '-' && isDigit(p[1])) {
        negative = true;
        ++p;
    }
    if (p < last && isDigit(*p)) {
        // Saturate instead of overflowing: a huge parameter is as meaningless as
        // the largest one, and must not wrap into a small or negative value.
        std::int64_t value = 0;
        constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
        for (; p < last && isDigit(*p); ++p)
            if (value <= limit)
                value = value * 10 + (*p - '0');
        if (value > limit)
            value = limit;
        token.param = static_cast<std::int32_t>(negative ? -value : value);
        token.hasParam = true;
    }
    if (p < last && *p == ' ')
        ++p;
    pos_ = static_cast<std::size_t>(p - begin);
    if (token.hasParam && token.param > 0 && token.text == "bin") {
        const std::size_t length =
            std::min<std::size_t>(static_cast<std::size_t>(token.param), data_.size() - pos_);
        token.type = TokenType::Binary;
        token.text = data_.substr(pos_, length);
        pos_ += length;
    }
    return token;
}

} // namespace rtf
