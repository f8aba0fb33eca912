#include "components/rtf/fonttable.h"

#include "components/rtf/codepage.h"
#include "components/rtf/symbolfont.h"
#include "components/rtf/textbuffer.h"

namespace rtf {

void FontTable::beginFont(int number) {
    current_ = number;
    charsetCodePage_ = 0;
    explicitCodePage_ = 0;
    nameBytes_.clear();
    name_.clear();
}

void FontTable::setCharset(int charset) {
    charsetCodePage_ = codePageForCharset(charset);
}

void FontTable::setCodePage(int codePage) {
    explicitCodePage_ = codePage > 0 ? codePage : 0;
}

void FontTable::appendNameBytes(std::string_view bytes) {
    // A long run of junk in a broken table must not grow without end.
    constexpr std::size_t maxName = 1024;
    if (current_ >= 0 && nameBytes_.size() < maxName)
        nameBytes_.append(bytes.substr(0, maxName - nameBytes_.size()));
}

void FontTable::appendNameChar(char16_t c, int documentCodePage) {
    if (current_ < 0)
        return;
    flushNameBytes(documentCodePage);
    name_ += QChar(c);
}

void FontTable::flushNameBytes(int documentCodePage) {
    if (nameBytes_.empty())
        return;
    const int page = explicitCodePage_  ? explicitCodePage_
                     : charsetCodePage_ ? charsetCodePage_
                                        : documentCodePage;
    CodePages::instance().decode(page, nameBytes_, name_);
    nameBytes_.clear();
}

void FontTable::endFont(int documentCodePage) {
    if (current_ < 0)
        return;
    flushNameBytes(documentCodePage);
    Font& font = fonts_[current_];
    // Cleaned as body text is, and without tabs, so that the name the writer
    // writes back reads as the same name.
    removeNonText(name_);
    name_.remove(QLatin1Char('\t'));
    // A ';' (come as \uN or in a multi-byte character) would end the name
    // where it is written back.
    name_.remove(QLatin1Char(';'));
    font.name = name_.trimmed();
    font.codePage = explicitCodePage_ ? explicitCodePage_ : charsetCodePage_;
    // Its bytes are Greek letters and signs whatever charset the table names.
    if (isSymbolFont(font.name))
        font.codePage = symbolCodePage;
    current_ = -1;
    name_.clear();
}

const FontTable::Font* FontTable::find(int number) const {
    auto found = fonts_.find(number);
    return found == fonts_.end() ? nullptr : &found->second;
}

} // namespace rtf
