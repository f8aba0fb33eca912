#include "components/rtf/codepage.h"

#include <QtGlobal>
#include <array>
#include <cerrno>
#include <iconv.h>
#include <mutex>
#include <unordered_map>

namespace rtf {

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
    Converter* conv = converter(codePage);
    if (!conv && codePage != 1252)
        conv = converter(1252);
    if (!conv) {
        out += QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
        return;
    }
    iconv(conv->handle, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::array<char16_t, 1024> buffer;
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
        out += QChar::ReplacementCharacter;
        ++in;
        --inLeft;
        iconv(conv->handle, nullptr, nullptr, nullptr, nullptr);
    }
}

} // namespace rtf
