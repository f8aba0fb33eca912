#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace rtf {

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
    void decodeBytes();

    std::string bytes_;
    int codePage_ = 0;
    QString text_;
};

} // namespace rtf
