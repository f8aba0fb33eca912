#include "components/rtf/colortable.h"

namespace rtf {

void ColorTable::endEntry() {
    if (red_ || green_ || blue_)
        entries_.push_back(qRgb(red_.value_or(0), green_.value_or(0), blue_.value_or(0)));
    else
        entries_.push_back(std::nullopt);
    red_.reset();
    green_.reset();
    blue_.reset();
}

std::optional<QRgb> ColorTable::color(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size())
        return std::nullopt;
    return entries_[static_cast<std::size_t>(index)];
}

} // namespace rtf
