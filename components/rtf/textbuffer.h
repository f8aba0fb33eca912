#pragma once

#include <QString>
#include <array>
#include <string>
#include <string_view>

namespace rtf {

struct SingleByteTable;

// Drops what a document cannot hold as text: control characters other than
// the tab, DEL, paragraph separators and Qt's own frame and object markers;
// a surrogate without its partner becomes U+FFFD. Whatever is read, RTF or
// plain text, passes through here, so that saving and reading it back gives
// the same text.
void removeNonText(QString& text);

// The text of the run being read. Legacy bytes wait here until the run ends or
// the code page changes, so that a double-byte character whose two bytes came
// as separate \'hh escapes (or one escape and one plain letter) decodes whole.
class TextBuffer {
public:
    void appendBytes(std::string_view bytes, int codePage);
    void appendChar(char16_t c);
    bool empty() const { return bytes_.empty() && text_.isEmpty(); }
    // Everything gathered, decoded, without the characters a document cannot
    // hold as text; a surrogate without its partner becomes U+FFFD. Valid
    // until clear().
    const QString& text();
    void clear();

private:
    struct CachedTable;
    void decodeBytes();
    // Marks a high surrogate at the end of the text as having no partner.
    void closeSurrogate();
    const CachedTable* singleByteTable(int codePage);

    std::string bytes_;
    int codePage_ = 0;
    // Bytes of a single-byte code page are decoded as they come, through its
    // table. Until the run ends or the code page changes, bytes that follow
    // go through the same table, ASCII too, just as they would have joined
    // the pending bytes: a code page need not map ASCII bytes to ASCII.
    const CachedTable* decodedTable_ = nullptr;
    int decodedCodePage_ = 0;
    QString text_;
    // Whether text_ may hold characters that removeNonText() drops; plain
    // ASCII text, the bulk of a file, never does and is not scanned again.
    bool unclean_ = false;
    // The text ends in a high surrogate from \uN, whose low half may follow.
    bool openSurrogate_ = false;

    // The tables of the last few code pages, so that a run of \'hh in a
    // single-byte code page decodes without iconv and without a lock.
    struct CachedTable {
        int codePage = -1;
        const SingleByteTable* table = nullptr; // null: not a single-byte page
        std::array<bool, 256> unclean{};        // the byte decodes to what removeNonText() drops
    };
    std::array<CachedTable, 4> tables_;
    std::size_t nextTable_ = 0;
};

} // namespace rtf
