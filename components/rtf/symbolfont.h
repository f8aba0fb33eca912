#pragma once

#include <QString>
#include <optional>

namespace rtf {

// The code page Windows gives the Symbol font (CP_SYMBOL): its bytes are
// Greek letters, arrows and mathematical signs, not the letters of a
// Windows code page.
constexpr int symbolCodePage = 42;

// The Unicode character of a byte of the Symbol font; 0 for the bytes it
// has no character for.
char16_t symbolCharacter(unsigned char byte);
// The Symbol font's byte for a character, where it has one.
std::optional<unsigned char> symbolByte(char16_t c);
// Whether a font is the Symbol font: by its name, which is how a saved file
// marks it too (\fcharset2 on that font alone).
inline bool isSymbolFont(const QString& family) {
    return family.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
}

} // namespace rtf
