#pragma once

#include <QString>
#include <array>
#include <optional>
#include <string_view>

namespace rtf {

// The code page that Windows uses for a font's \fcharset, or 0 when the
// charset names none of its own (the document's \ansicpg applies then).
int codePageForCharset(int charset);

// Whether c begins a two-byte character in a double-byte code page.
bool isLeadByte(int codePage, unsigned char c);

// What iconv makes of each byte of a code page whose every byte is one
// character by itself, whatever comes before or after it.
struct SingleByteTable {
    std::array<char16_t, 256> chars;
};

// Decodes legacy bytes through glibc iconv, with one converter per code page
// opened on first use and kept. An unknown or unavailable code page falls back
// to Windows-1252, and a byte that the code page does not define becomes
// U+FFFD: legacy text never stops a file from loading.
class CodePages {
public:
    static CodePages& instance();

    // Appends the decoded bytes to out.
    void decode(int codePage, std::string_view bytes, QString& out);
    // The table of a code page that decodes byte by byte, or null for one
    // that does not (double-byte pages, and those whose converter combines a
    // letter with a following accent). Built once per code page by asking
    // iconv for every byte, and checked against iconv on every pair of bytes,
    // so decoding through it gives what iconv gives. It lives as long as the
    // program.
    const SingleByteTable* singleByteTable(int codePage);
    // The Windows-1252 byte of c, when that code page has one above ASCII.
    std::optional<unsigned char> encode1252(char16_t c) const;

private:
    CodePages();
    ~CodePages();
    CodePages(const CodePages&) = delete;
    CodePages& operator=(const CodePages&) = delete;

    struct Converter;
    Converter* converter(int codePage);
    // The converter decode() uses: the code page's, else Windows-1252's, else
    // none (Latin-1).
    Converter* resolvedConverter(int codePage);
    // decode() and the table's construction; the caller holds the lock.
    void decodeLocked(int codePage, std::string_view bytes, QString& out);
    const SingleByteTable* tableLocked(int codePage);

    struct Cache;
    Cache* cache_;
};

} // namespace rtf
