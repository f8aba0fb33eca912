// The reader's pictures: \\pict groups, their header words and data, and
// the shapes that stand around them.
#include "components/rtf/reader.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/units.h"

#include <algorithm>
#include <utility>

namespace rtf {

void Reader::pictureControl(const ControlInfo& info, const Token& token) {
    Picture& pict = picture_;
    // Sizes beyond these mean nothing a page can show; they are held there.
    const int size = std::clamp(param(token, 0), 0, 1 << 20);
    switch (info.control) {
    case Control::PictureKind:
        pict.kind = static_cast<PictureKind>(info.value);
        pict.kindParameter = token.hasParam ? std::clamp(token.param, 0, 1 << 16) : 0;
        break;
    case Control::PictureWidth:
        pict.width = size;
        break;
    case Control::PictureHeight:
        pict.height = size;
        break;
    case Control::PictureGoalWidth:
        pict.goalWidth = std::min(size, units::maxTwips * 4);
        break;
    case Control::PictureGoalHeight:
        pict.goalHeight = std::min(size, units::maxTwips * 4);
        break;
    case Control::PictureScaleX:
        pict.scaleX = std::clamp(param(token, 100), 1, 1000);
        break;
    case Control::PictureScaleY:
        pict.scaleY = std::clamp(param(token, 100), 1, 1000);
        break;
    case Control::PictureCropLeft:
        pict.cropLeft = length(token);
        break;
    case Control::PictureCropRight:
        pict.cropRight = length(token);
        break;
    case Control::PictureCropTop:
        pict.cropTop = length(token);
        break;
    case Control::PictureCropBottom:
        pict.cropBottom = length(token);
        break;
    case Control::BitmapBitsPerPixel:
        pict.bitsPerPixel = std::min(size, 64);
        break;
    case Control::BitmapPlanes:
        pict.planes = std::min(size, 64);
        break;
    case Control::BitmapWidthBytes:
        pict.widthBytes = size;
        break;
    default:
        break;
    }
}

void Reader::releaseShapePicture() {
    if (!shapePicture_)
        return;
    sink_.picture(shapePicture_->first, shapePicture_->second);
    shapePicture_.reset();
}

void Reader::pictureHex(std::string_view text) {
    static constexpr signed char none = -1;
    static const auto values = [] {
        std::array<signed char, 256> table{};
        table.fill(none);
        for (int i = 0; i < 10; ++i)
            table['0' + i] = static_cast<signed char>(i);
        for (int i = 0; i < 6; ++i) {
            table['a' + i] = static_cast<signed char>(10 + i);
            table['A' + i] = static_cast<signed char>(10 + i);
        }
        return table;
    }();
    QByteArray& data = picture_.data;
    data.reserve(data.size() + static_cast<qsizetype>(text.size() / 2 + 1));
    for (char c : text) {
        const signed char value = values[static_cast<unsigned char>(c)];
        if (value == none)
            continue; // spaces and whatever else a writer put between the digits
        if (pictureNibble_ < 0) {
            pictureNibble_ = value;
        } else {
            data.append(static_cast<char>(pictureNibble_ * 16 + value));
            pictureNibble_ = -1;
        }
    }
}

void Reader::endPicture(const GroupState& pictureState) {
    settleNoteMark();
    flushRun();
    releaseShapePicture();
    RunFormat format = resolve(pictureState.chr);
    format.before = takeInline();
    if (shapeLevel_ != 0 && !shapeHasContent_)
        shapePicture_.emplace(std::move(picture_), format);
    else
        sink_.picture(picture_, format);
    shapeHasContent_ = shapeLevel_ != 0;
    picture_ = Picture{};
    pictureNibble_ = -1;
    bodyContent();
}

} // namespace rtf
