#include "components/rtf/codepage.h"

#include "components/rtf/symbolfont.h"

#include <QtGlobal>
#include <array>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace rtf {

bool isLeadByte(int codePage, unsigned char c) {
    switch (codePage) {
    case 932:
    case 10001: // Shift-JIS
        return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:
    case 949:
    case 950:
    case 1361:
        return c >= 0x81 && c <= 0xFE;
    default:
        return false;
    }
}

int codePageForCharset(int charset) {
    switch (charset) {
    case 0:
        return 1252;
    case 2:
        return 1252; // Symbol fonts: the bytes are glyph numbers; 1252 keeps them readable
    case 77:
        return 10000;
    case 78:
        return 10001;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

namespace {

// glibc spells most Windows code pages "CPnnnn"; the Mac and ISO ones differ.
QByteArray iconvName(int codePage) {
    switch (codePage) {
    case 10000:
        return "MACINTOSH";
    case 10001:
        return "SJIS";
    case 10007:
        return "MAC-CYRILLIC";
    case 20127:
        return "ASCII";
    case 65001:
        return "UTF-8";
    default:
        break;
    }
    if (codePage >= 28591 && codePage <= 28606)
        return "ISO-8859-" + QByteArray::number(codePage - 28590);
    return "CP" + QByteArray::number(codePage);
}

} // namespace

struct CodePages::Converter {
    iconv_t handle = reinterpret_cast<iconv_t>(-1);
    bool valid() const { return handle != reinterpret_cast<iconv_t>(-1); }
};

struct CodePages::Cache {
    std::mutex mutex;
    std::unordered_map<int, Converter> converters;
    std::unordered_map<char16_t, unsigned char> from1252;
    // Null for a code page that has no table.
    std::unordered_map<int, std::unique_ptr<SingleByteTable>> tables;
};

CodePages& CodePages::instance() {
    static CodePages pages;
    return pages;
}

CodePages::CodePages() : cache_(new Cache) {
    // The writer's reverse map of Windows-1252, built from iconv itself.
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        QString decoded;
        const char c = static_cast<char>(byte);
        decode(1252, std::string_view(&c, 1), decoded);
        if (decoded.size() == 1 && decoded[0] != QChar::ReplacementCharacter)
            cache_->from1252.emplace(decoded[0].unicode(), static_cast<unsigned char>(byte));
    }
}

CodePages::~CodePages() {
    for (auto& [page, conv] : cache_->converters)
        if (conv.valid())
            iconv_close(conv.handle);
    delete cache_;
}

CodePages::Converter* CodePages::converter(int codePage) {
    auto found = cache_->converters.find(codePage);
    if (found != cache_->converters.end())
        return found->second.valid() ? &found->second : nullptr;
    Converter conv;
    if (codePage > 0)
        conv.handle = iconv_open(Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "UTF-16LE" : "UTF-16BE",
                                 iconvName(codePage).constData());
    auto& stored = cache_->converters[codePage];
    stored = conv;
    return stored.valid() ? &stored : nullptr;
}

std::optional<unsigned char> CodePages::encode1252(char16_t c) const {
    auto found = cache_->from1252.find(c);
    if (found == cache_->from1252.end())
        return std::nullopt;
    return found->second;
}

void CodePages::decode(int codePage, std::string_view bytes, QString& out) {
    std::lock_guard lock(cache_->mutex);
    if (const SingleByteTable* table = tableLocked(codePage)) {
        const qsizetype start = out.size();
        out.resize(start + static_cast<qsizetype>(bytes.size()));
        QChar* to = out.data() + start;
        for (const char c : bytes)
            *to++ = QChar(table->chars[static_cast<unsigned char>(c)]);
        return;
    }
    decodeLocked(codePage, bytes, out);
}

const SingleByteTable* CodePages::singleByteTable(int codePage) {
    std::lock_guard lock(cache_->mutex);
    return tableLocked(codePage);
}

const SingleByteTable* CodePages::tableLocked(int codePage) {
    auto found = cache_->tables.find(codePage);
    if (found != cache_->tables.end())
        return found->second.get();
    std::unique_ptr<SingleByteTable>& stored = cache_->tables[codePage];
    auto table = std::make_unique<SingleByteTable>();
    if (codePage == symbolCodePage) {
        // A font's encoding that iconv does not know. Control characters
        // stay themselves; bytes the font lacks are no character.
        for (int byte = 0; byte <= 0xFF; ++byte) {
            const char16_t c = symbolCharacter(static_cast<unsigned char>(byte));
            table->chars[byte] = byte < 0x20 ? char16_t(byte) : c ? c : u'\uFFFD';
        }
        stored = std::move(table);
        return stored.get();
    }
    Converter* const conv = resolvedConverter(codePage);
    QString decoded;
    for (int byte = 0; byte <= 0xFF; ++byte) {
        decoded.clear();
        char c = static_cast<char>(byte);
        if (conv) {
            // A byte that iconv calls incomplete is a lead byte: no table, and
            // no need for the costly check below.
            iconv(conv->handle, nullptr, nullptr, nullptr, nullptr);
            char16_t unit[2];
            char* in = &c;
            std::size_t inLeft = 1;
            char* out = reinterpret_cast<char*>(unit);
            std::size_t outLeft = sizeof(unit);
            if (iconv(conv->handle, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) &&
                errno == EINVAL)
                return nullptr;
        }
        decodeLocked(codePage, std::string_view(&c, 1), decoded);
        // A byte beyond the BMP gives two units, and a converter may hold a
        // byte back for what follows: neither fits a table.
        if (decoded.size() != 1)
            return nullptr;
        table->chars[byte] = decoded[0].unicode();
    }
    // Some converters keep state: glibc's Vietnamese and Hebrew ones join a
    // letter and the accent after it. So every pair of bytes through iconv
    // must give what the table gives, or the table is not used.
    std::string pairs;
    pairs.reserve(2 * 256 * 256);
    for (int first = 0; first <= 0xFF; ++first) {
        for (int second = 0; second <= 0xFF; ++second) {
            pairs += static_cast<char>(first);
            pairs += static_cast<char>(second);
        }
    }
    decoded.clear();
    decodeLocked(codePage, pairs, decoded);
    if (decoded.size() != static_cast<qsizetype>(pairs.size()))
        return nullptr;
    for (std::size_t i = 0; i < pairs.size(); ++i)
        if (decoded[static_cast<qsizetype>(i)].unicode() !=
            table->chars[static_cast<unsigned char>(pairs[i])])
            return nullptr;
    stored = std::move(table);
    return stored.get();
}

CodePages::Converter* CodePages::resolvedConverter(int codePage) {
    Converter* conv = converter(codePage);
    if (!conv && codePage != 1252)
        conv = converter(1252);
    return conv;
}

void CodePages::decodeLocked(int codePage, std::string_view bytes, QString& out) {
    Converter* const conv = resolvedConverter(codePage);
    if (!conv) {
        out += QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
        return;
    }
    iconv(conv->handle, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::array<char16_t, 1024> buffer;
    // glibc's Vietnamese and Hebrew converters hold the last letter back in
    // case an accent follows; asking with no input hands it out.
    const auto flush = [&] {
        char* outPtr = reinterpret_cast<char*>(buffer.data());
        std::size_t outLeft = sizeof(buffer);
        iconv(conv->handle, nullptr, nullptr, &outPtr, &outLeft);
        out.append(reinterpret_cast<const QChar*>(buffer.data()),
                   static_cast<qsizetype>((sizeof(buffer) - outLeft) / 2));
    };
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(buffer.data());
        std::size_t outLeft = sizeof(buffer);
        const std::size_t result = iconv(conv->handle, &in, &inLeft, &outPtr, &outLeft);
        const auto produced = static_cast<qsizetype>((sizeof(buffer) - outLeft) / 2);
        out.append(reinterpret_cast<const QChar*>(buffer.data()), produced);
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (a lead byte without its trail at the end): mark the
        // byte as undecodable and go on with the next one.
        flush();
        out += QChar::ReplacementCharacter;
        ++in;
        --inLeft;
        iconv(conv->handle, nullptr, nullptr, nullptr, nullptr);
    }
    flush();
}

} // namespace rtf
