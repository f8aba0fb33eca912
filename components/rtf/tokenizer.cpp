#include "components/rtf/tokenizer.h"

#include <algorithm>
#include <limits>

namespace rtf {
namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
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

// Bytes that end a run of text. CR, LF and NUL carry no meaning in RTF text and
// are dropped between runs.
bool endsText(char c) {
    return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n' || c == 0;
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
    if (codePage == codePage_)
        return;
    codePage_ = codePage;
    switch (codePage) {
    case 932:
    case 10001:
        leadBytes_ = LeadBytes::ShiftJis;
        break;
    case 936:
    case 949:
    case 950:
    case 1361:
        leadBytes_ = LeadBytes::Wide;
        break;
    default:
        leadBytes_ = LeadBytes::None;
    }
}

bool Tokenizer::isLeadByte(unsigned char c) const {
    switch (leadBytes_) {
    case LeadBytes::ShiftJis:
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case LeadBytes::Wide:
        return c >= 0x81 && c <= 0xFE;
    case LeadBytes::None:
        break;
    }
    return false;
}

Token Tokenizer::text(std::size_t start) {
    std::size_t end = start;
    if (leadBytes_ == LeadBytes::None) {
        while (end < data_.size() && !endsText(data_[end]))
            ++end;
    } else {
        while (end < data_.size() && !endsText(data_[end])) {
            // Every trail byte of these code pages is 0x40 or above, so a line
            // end or NUL after a lead byte is still no part of the character.
            const bool pair = isLeadByte(static_cast<unsigned char>(data_[end])) &&
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
    std::size_t end = start + 1;
    while (end < data_.size() && isLetter(data_[end]))
        ++end;
    Token token{TokenType::ControlWord, data_.substr(start + 1, end - start - 1), 0, false, start};
    bool negative = false;
    if (end + 1 < data_.size() && data_[end] == '-' && isDigit(data_[end + 1])) {
        negative = true;
        ++end;
    }
    if (end < data_.size() && isDigit(data_[end])) {
        // Saturate instead of overflowing: a huge parameter is as meaningless as
        // the largest one, and must not wrap into a small or negative value.
        std::int64_t value = 0;
        constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
        while (end < data_.size() && isDigit(data_[end])) {
            if (value <= limit)
                value = value * 10 + (data_[end] - '0');
            ++end;
        }
        if (value > limit)
            value = limit;
        token.param = static_cast<std::int32_t>(negative ? -value : value);
        token.hasParam = true;
    }
    if (end < data_.size() && data_[end] == ' ')
        ++end;
    pos_ = end;
    if (token.text == "bin" && token.hasParam && token.param > 0) {
        const std::size_t length =
            std::min<std::size_t>(static_cast<std::size_t>(token.param), data_.size() - pos_);
        token.type = TokenType::Binary;
        token.text = data_.substr(pos_, length);
        pos_ += length;
    }
    return token;
}

} // namespace rtf
