#pragma once

#include <QRgb>
#include <optional>
#include <vector>

namespace rtf {

// The entries of \colortbl. An entry without any colour component (usually the
// empty first one) is "auto": text with it has no colour of its own.
class ColorTable {
public:
    void setRed(int value) { red_ = clamp(value); }
    void setGreen(int value) { green_ = clamp(value); }
    void setBlue(int value) { blue_ = clamp(value); }
    void endEntry();

    std::optional<QRgb> color(int index) const;

private:
    static int clamp(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

    std::vector<std::optional<QRgb>> entries_;
    std::optional<int> red_, green_, blue_;
};

} // namespace rtf
