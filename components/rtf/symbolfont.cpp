#include "components/rtf/symbolfont.h"

#include <array>
#include <unordered_map>

namespace rtf {
namespace {

// Bytes 0x20 to 0xFF.
constexpr char16_t fromSymbol[] = {
#include "components/rtf/symbolfont.inc"
};
static_assert(std::size(fromSymbol) == 0xE0);

} // namespace

char16_t symbolCharacter(unsigned char byte) {
    // Below the space and in 0x7F to 0x9F the font has control codes only.
    if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0))
        return 0;
    return fromSymbol[byte - 0x20];
}

std::optional<unsigned char> symbolByte(char16_t c) {
    static const auto bytes = [] {
        std::unordered_map<char16_t, unsigned char> map;
        for (int byte = 0xFF; byte >= 0x20; --byte)
            if (const char16_t mapped = symbolCharacter(static_cast<unsigned char>(byte)))
                map[mapped] = static_cast<unsigned char>(byte);
        return map;
    }();
    const auto found = bytes.find(c);
    if (found == bytes.end())
        return std::nullopt;
    return found->second;
}

} // namespace rtf
