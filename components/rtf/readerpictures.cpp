// The reader's pictures: \\pict groups, their header words and data, and
// the shapes that stand around them.
#include "components/rtf/reader.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/units.h"

#include <algorithm>
#include <utility>

namespace rtf {

void Reader::pictureControl(const ControlInfo& info, const Token& token, int value) {
    Picture& pict = picture_;
    switch (info.control) {
    case Control::PictureKind:
        pict.kind = static_cast<PictureKind>(info.value);
        pict.kindParameter = token.hasParam ? std::clamp(token.param, 0, 1 << 16) : 0;
        break;
    case Control::PictureWidth:
        pict.width = value;
        break;
    case Control::PictureHeight:
        pict.height = value;
        break;
    case Control::PictureGoalWidth:
        pict.goalWidth = value;
        break;
    case Control::PictureGoalHeight:
        pict.goalHeight = value;
        break;
    case Control::PictureScaleX:
        pict.scaleX = value;
        break;
    case Control::PictureScaleY:
        pict.scaleY = value;
        break;
    case Control::PictureCropLeft:
        pict.cropLeft = value;
        break;
    case Control::PictureCropRight:
        pict.cropRight = value;
        break;
    case Control::PictureCropTop:
        pict.cropTop = value;
        break;
    case Control::PictureCropBottom:
        pict.cropBottom = value;
        break;
    case Control::BitmapBitsPerPixel:
        pict.bitsPerPixel = value;
        break;
    case Control::BitmapPlanes:
        pict.planes = value;
        break;
    case Control::BitmapWidthBytes:
        pict.widthBytes = value;
        break;
    default:
        break;
    }
}

void Reader::releaseShapePicture() {
    if (shapePictures_.empty())
        return;
    // The shape is not kept whole: what was kept before its pictures goes
    // before them, what came after after them.
    const auto before = static_cast<std::ptrdiff_t>(std::min(shapePictureInline_, inline_.size()));
    std::vector<std::string> inside(inline_.begin() + before, inline_.end());
    const qsizetype hidden = hiddenPiece_ - before;
    inline_.resize(std::size_t(before));
    shapePictures_.front().second.before = takeInline();
    inline_ = std::move(inside);
    hiddenPiece_ = hidden >= 0 ? hidden : -1;
    for (const auto& [picture, format] : shapePictures_)
        sink_.picture(picture, format);
    shapePictures_.clear();
}

void Reader::shapeContent() {
    releaseShapePicture();
    if (shapeLevel_ != 0) {
        shapeHasContent_ = true;
        releaseShapeText();
    }
}

void Reader::shapeTextCharacter(char16_t c) {
    if (!state().chr.hidden)
        shapeText_.appendChar(c);
}

void Reader::releaseShapeText() {
    if (!shapeHasText_)
        return;
    shapeHasText_ = false;
    const QString text = shapeText_.text();
    if (!text.isEmpty()) {
        CharState shown = state().chr;
        shown.hidden = false;
        RunFormat format = resolve(shown);
        format.before = takeInline();
        sink_.text(text, format);
        ++shown_;
        paragraphHasContent_ = true;
        startBody();
    }
    shapeText_.clear();
}

void Reader::endShape(const GroupState& shape, std::size_t end) {
    flushRun(); // its text not yet handed on makes it a text box too
    if (shapeSpoiled_)
        shapeContent(); // its pictures and text go into the body, the rest is lost
    shapeLevel_ = 0;
    const bool textBox = shapeHasText_;
    if (textBox) {
        // A text box shows its text, over any picture it has as well.
        shapeHasText_ = false;
        Picture box;
        box.kind = PictureKind::TextBox;
        box.data = shapeText_.text().toUtf8();
        shapeText_.clear();
        const auto [left, top, right, bottom] = shapeBounds_;
        box.goalWidth = std::max(0, right - left);
        box.goalHeight = std::max(0, bottom - top);
        shapePictures_.clear();
        shapePictures_.emplace_back(std::move(box), resolve(state().chr));
    }
    if (shapePictures_.empty() && shapeHasContent_)
        return;
    // What was kept inside the shape is written with it, not before it.
    const std::size_t before = std::min(shapeInlineStart_, inline_.size());
    inlineKept_ -= inline_.size() - before;
    inline_.resize(before);
    if (hiddenPiece_ >= qsizetype(before))
        hiddenPiece_ = -1;
    const std::string group = unicodeText(data_.substr(shape.openedAt, end + 1 - shape.openedAt));
    if (shapePictures_.empty()) {
        // A drawing (a line, a rectangle) shows nothing: kept where it stood.
        keepInline(group);
        return;
    }
    // Each picture shows the shape, which is written once, where the first
    // of them that is left stands.
    KeptRtf object = keptRtf(group);
    object.shownAs = QString(shapePictures_.size(), QChar::ObjectReplacementCharacter);
    object.occurrence = ++inlinePieces_;
    shapePictures_.front().second.before = takeInline();
    for (auto& [picture, format] : shapePictures_) {
        format.object = object;
        sink_.picture(picture, format);
    }
    shapePictures_.clear();
    if (textBox)
        bodyContent();
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
    // Held while the shape (or group) has shown nothing but pictures.
    const bool held =
        shapeLevel_ != 0 && !shapeHasText_ && (!shapeHasContent_ || !shapePictures_.empty());
    if (held)
        shapeHasContent_ = true;
    else
        shapeContent();
    RunFormat format = resolve(pictureState.chr);
    if (held) {
        if (shapePictures_.empty())
            shapePictureInline_ = inline_.size();
        shapePictures_.emplace_back(std::move(picture_), format);
    } else {
        format.before = takeInline();
        sink_.picture(picture_, format);
    }
    picture_ = Picture{};
    pictureNibble_ = -1;
    bodyContent();
    shownAtPicture_ = shown_;
}

} // namespace rtf
