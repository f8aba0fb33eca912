#include "wordpadgenerator.h"

#include <array>
#include <cstdint>

namespace {

// Deterministic, so that every run measures the same document.
class Random {
public:
    std::uint32_t next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint64_t state_ = 0x5eed;
};

constexpr std::array<const char*, 24> words = {
    "the",     "editor",  "document", "paragraph", "format",  "window", "bold",  "text",
    "saving",  "opening", "quickly",  "and",       "of",      "with",   "table", "colour",
    "letters", "font",    "size",     "line",      "reading", "file",   "while", "again"};
// Words with Windows-1252 letters, as WordPad writes them.
constexpr std::array<const char*, 6> accented = {"caf\\'e9",  "na\\'efve",  "\\'fcber",
                                                 "se\\'f1or", "fa\\'e7ade", "r\\'f4le"};
// Cyrillic in code page 1251, read through the \fcharset204 font.
constexpr std::array<const char*, 3> cyrillic = {"\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2",
                                                 "\\'ec\\'e8\\'f0", "\\'e4\\'ee\\'ec"};
constexpr std::array<const char*, 4> unicode = {"\\u8364?", "\\u8212?", "\\u-10179?\\u-8704?",
                                                "\\u945?"};

void appendRun(QByteArray& out, Random& random) {
    const int words_ = 3 + random.below(12);
    for (int w = 0; w < words_; ++w) {
        const int kind = random.below(40);
        if (kind == 0)
            out += accented[random.below(accented.size())];
        else if (kind == 1)
            out += unicode[random.below(unicode.size())];
        else if (kind == 2) {
            // WordPad switches font for a word in another script.
            out += "\\f3\\lang1049 ";
            out += cyrillic[random.below(cyrillic.size())];
            out += "\\f0\\lang9 ";
            continue;
        } else
            out += words[random.below(words.size())];
        out += ' ';
    }
}

} // namespace

QByteArray wordpadDocument(qsizetype bytes) {
    QByteArray out;
    out.reserve(bytes + 4096);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl"
           "{\\f0\\fnil\\fcharset0 Calibri;}{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}"
           "{\\f2\\froman\\fprq2\\fcharset0 Times New Roman;}"
           "{\\f3\\fswiss\\fprq2\\fcharset204 Arial;}}\r\n"
           "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green176\\blue80;"
           "\\red0\\green112\\blue192;\\red112\\green48\\blue160;}\r\n"
           "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n";
    Random random;
    static constexpr std::array<int, 5> sizes = {22, 20, 24, 28, 36};
    static constexpr std::array<const char*, 4> alignments = {"", "\\qc", "\\qr", "\\qj"};
    while (out.size() < bytes) {
        out += "\\pard";
        if (random.below(6) == 0)
            out += alignments[random.below(alignments.size())];
        if (random.below(5) == 0)
            out += "\\li" + QByteArray::number(360 * (1 + random.below(3)));
        out += "\\sa200\\sl276\\slmult1\\f0\\fs22\\lang9 ";
        const int runs = 2 + random.below(8);
        for (int r = 0; r < runs; ++r) {
            switch (random.below(7)) {
            case 0:
                out += "\\b ";
                appendRun(out, random);
                out += "\\b0 ";
                break;
            case 1:
                out += "\\i ";
                appendRun(out, random);
                out += "\\i0 ";
                break;
            case 2:
                out += "\\ul ";
                appendRun(out, random);
                out += "\\ulnone ";
                break;
            case 3:
                out += "\\cf" + QByteArray::number(1 + random.below(4)) + ' ';
                appendRun(out, random);
                out += "\\cf0 ";
                break;
            case 4:
                out += "\\f1\\fs" + QByteArray::number(sizes[random.below(sizes.size())]) + ' ';
                appendRun(out, random);
                out += "\\f0\\fs22 ";
                break;
            default:
                appendRun(out, random);
            }
            if (random.below(20) == 0)
                out += "\\tab ";
        }
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}
