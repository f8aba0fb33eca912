#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <unordered_map>

namespace rtf {

// The fonts of \fonttbl by number: their names and the code page their
// \fcharset or \cpg implies for \'hh bytes and raw 8-bit text.
class FontTable {
public:
    struct Font {
        QString name;
        int codePage = 0; // 0: the document's code page applies
    };

    // The control words and text of the table, in file order.
    void beginFont(int number);
    void setCharset(int charset);
    void setCodePage(int codePage);
    void appendNameBytes(std::string_view bytes);
    void appendNameChar(char16_t c, int documentCodePage);
    // A ';' or the end of the font's group: the name is complete.
    void endFont(int documentCodePage);

    const Font* find(int number) const;

private:
    void flushNameBytes(int documentCodePage);

    std::unordered_map<int, Font> fonts_;
    int current_ = -1;
    int charsetCodePage_ = 0;
    int explicitCodePage_ = 0;
    std::string nameBytes_;
    QString name_;
};

} // namespace rtf
