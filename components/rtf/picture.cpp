#include "components/rtf/documentsink.h"
#include "components/rtf/units.h"

#include <algorithm>

namespace rtf {
namespace {

int intended(int goal, int written, int natural, int scale, bool bitmap) {
    long long twips = goal;
    if (twips <= 0) {
        const int size = written > 0 ? written : natural;
        // A bitmap without a goal size is meant for 96 dots per inch.
        twips = bitmap ? static_cast<long long>(size) * units::twipsPerPixel
                       : units::twipsFromHundredthsOfMm(size);
    }
    twips = twips * std::clamp(scale, 1, 1000) / 100;
    return static_cast<int>(std::clamp<long long>(twips, 0, units::maxTwips));
}

} // namespace

bool Picture::isBitmap() const {
    switch (kind) {
    case PictureKind::Png:
    case PictureKind::Jpeg:
    case PictureKind::Dib:
    case PictureKind::Bitmap:
    case PictureKind::TextBox: // drawn here, at the screen's 96 dots per inch
        return true;
    default:
        return false;
    }
}

int Picture::intendedWidth(int naturalWidth) const {
    return intended(goalWidth, width, naturalWidth, scaleX, isBitmap());
}

int Picture::intendedHeight(int naturalHeight) const {
    return intended(goalHeight, height, naturalHeight, scaleY, isBitmap());
}

void DocumentSink::picture(const Picture&, const RunFormat& format) {
    static const char16_t objectCharacter = 0xFFFC;
    text(QStringView(&objectCharacter, 1), format);
}

} // namespace rtf
