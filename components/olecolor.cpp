#include "components/olecolor.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

// The Windows system colour indexes the program can meet, mapped onto the
// palette roles that play the same part on this platform.
QPalette::ColorRole roleForSystemColor(quint32 index) {
    switch (index) {
    case 0x05:
        return QPalette::Base; // window background
    case 0x08:
        return QPalette::Text; // window text
    case 0x0D:
        return QPalette::Highlight; // highlight
    case 0x12:
        return QPalette::ButtonText; // button text
    default:
        return QPalette::Button; // 0x0F button face and anything else
    }
}

} // namespace

QColor toQColor(OleColor value) {
    if (value & 0x80000000u)
        return QGuiApplication::palette().color(roleForSystemColor(value & 0xFF));
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

OleColor fromQColor(const QColor& color) {
    return oleRgb(color.red(), color.green(), color.blue());
}
