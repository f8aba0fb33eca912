#pragma once

#include <QColor>
#include <QtGlobal>

// Colours as the program stores them: 32-bit values with red in the low byte.
// A value with the high bit set refers to a system colour (index in the low
// byte), as 0x8000000F is the face colour of buttons.
using OleColor = quint32;

constexpr OleColor kButtonFaceColor = 0x8000000F;

constexpr OleColor oleRgb(int r, int g, int b) {
    return OleColor(r & 0xFF) | (OleColor(g & 0xFF) << 8) | (OleColor(b & 0xFF) << 16);
}

// The QColor a value stands for; system colours resolve through the
// application's palette.
QColor toQColor(OleColor value);
OleColor fromQColor(const QColor& color);
