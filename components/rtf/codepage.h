#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace rtf {

// The code page that Windows uses for a font's \fcharset, or 0 when the
// charset names none of its own (the document's \ansicpg applies then).
int codePageForCharset(int charset);

// Decodes legacy bytes through glibc iconv, with one converter per code page
// opened on first use and kept. An unknown or unavailable code page falls back
// to Windows-1252, and a byte that the code page does not define becomes
// U+FFFD: legacy text never stops a file from loading.
class CodePages {
public:
    static CodePages& instance();

    // Appends the decoded bytes to out.
    void decode(int codePage, std::string_view bytes, QString& out);
    // The Windows-1252 byte of c, when that code page has one above ASCII.
    std::optional<unsigned char> encode1252(char16_t c) const;

private:
    CodePages();
    ~CodePages();
    CodePages(const CodePages&) = delete;
    CodePages& operator=(const CodePages&) = delete;

    struct Converter;
    Converter* converter(int codePage);

    struct Cache;
    Cache* cache_;
};

} // namespace rtf
