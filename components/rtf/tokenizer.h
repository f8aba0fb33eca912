#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rtf {

enum class TokenType {
    GroupStart,
    GroupEnd,
    ControlWord,
    ControlSymbol,
    HexByte,
    Text,
    Binary,
    End
};

// One lexical unit of an RTF stream. Views point into the tokenizer's input,
// so a token is only valid while that input lives.
struct Token {
    TokenType type = TokenType::End;
    // Control word name, control symbol character, text bytes or binary data.
    std::string_view text;
    // The parameter of a control word (clamped to 32 bits), or the byte of \'hh.
    std::int32_t param = 0;
    bool hasParam = false;
    std::size_t offset = 0;
};

// Splits RTF bytes held in memory into tokens. It never fails: whatever it
// cannot make sense of (a truncated \'h, a backslash at the end) it skips.
// \binN data is consumed here, by count, so no reader state can let binary
// bytes be taken for braces or text.
class Tokenizer {
public:
    explicit Tokenizer(std::string_view data) : data_(data) {}

    Token next();
    // The code page of the text that follows. In a double-byte code page a
    // trail byte may be '\\', '{' or '}' (Shift-JIS writes them raw), so a
    // lead byte takes the next byte with it into the text.
    void setCodePage(int codePage);

private:
    Token controlSequence(std::size_t start);
    Token controlWord(std::size_t start);
    Token text(std::size_t start);

    std::string_view data_;
    std::size_t pos_ = 0;
    int codePage_ = 0;
    bool hasLeadBytes_ = false;
};

} // namespace rtf
