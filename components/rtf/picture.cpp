#include "components/rtf/documentsink.h"

#include <algorithm>

namespace rtf {
namespace {

// Twips per pixel at the 96 dots per inch that pictures without a goal size
// are meant for.
constexpr int twipsPerPixel = 15;

int intended(int goal, int written, int natural, int scale, bool bitmap) {
    long long twips = goal;
    if (twips <= 0) {
        const int size = written > 0 ? written : natural;
        // Metafiles give their size in hundredths of a millimetre.
        twips = bitmap ? static_cast<long long>(size) * twipsPerPixel
                       : static_cast<long long>(size) * 1440 / 2540;
    }
    twips = twips * std::clamp(scale, 1, 1000) / 100;
    // Word's largest page is 22 inches wide.
    return static_cast<int>(std::clamp<long long>(twips, 0, 31680));
}

} // namespace

bool Picture::isBitmap() const {
    switch (kind) {
    case PictureKind::Png:
    case PictureKind::Jpeg:
    case PictureKind::Dib:
    case PictureKind::Bitmap:
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
