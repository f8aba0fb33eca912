#pragma once

#include <cmath>

// The units of the RTF codec, named once. RTF gives lengths in twips (1/1440
// inch) and font sizes in half points; the document model lays out in
// pixels at 96 per inch, so a pixel is 15 twips.
namespace rtf::units {

constexpr int twipsPerPixel = 15;
constexpr int twipsPerInch = 1440;
// Word's own limit for a length: its largest page is 22 inches wide.
constexpr int maxTwips = 22 * twipsPerInch;

// Fractions of a pixel stay, so that the twips come back exactly on save.
constexpr double pixelsFromTwips(double twips) {
    return twips / twipsPerPixel;
}
inline int twipsFromPixels(double pixels) {
    return static_cast<int>(std::lround(pixels * twipsPerPixel));
}
constexpr double pointsFromHalfPoints(double halfPoints) {
    return halfPoints / 2.0;
}
inline int halfPointsFromPoints(double points) {
    return static_cast<int>(std::lround(points * 2));
}
// Metafiles give their size in hundredths of a millimetre.
constexpr long long twipsFromHundredthsOfMm(long long size) {
    return size * twipsPerInch / 2540;
}

} // namespace rtf::units
