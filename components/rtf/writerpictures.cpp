#include "components/rtf/rtfwriter.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/qtformats.h"

#include <QTextDocument>
#include <QTextImageFormat>

namespace rtf {

void Writer::picture(const QTextImageFormat& image) {
    const std::optional<Picture> picture = pictureOf(image, document_);
    if (!picture)
        return;
    const Picture& header = *picture;
    const QByteArray& data = header.data;
    out_.raw("{");
    out_.word("pict");
    static const std::pair<PictureKind, std::string_view> kinds[] = {
        {PictureKind::Png, "pngblip"},     {PictureKind::Jpeg, "jpegblip"},
        {PictureKind::Emf, "emfblip"},     {PictureKind::Wmf, "wmetafile"},
        {PictureKind::MacPict, "macpict"}, {PictureKind::Os2Metafile, "pmmetafile"},
        {PictureKind::Dib, "dibitmap"},    {PictureKind::Bitmap, "wbitmap"},
    };
    for (const auto& [kind, word] : kinds) {
        if (kind != header.kind)
            continue;
        const bool parameter = kind == PictureKind::Wmf || kind == PictureKind::Os2Metafile ||
                               kind == PictureKind::Dib || kind == PictureKind::Bitmap;
        if (parameter)
            out_.word(word, header.kindParameter);
        else
            out_.word(word);
    }
    const std::pair<std::string_view, int> numbers[] = {
        {"picw", header.width},
        {"pich", header.height},
        {"picwgoal", header.goalWidth},
        {"pichgoal", header.goalHeight},
        {"wbmbitspixel", header.bitsPerPixel},
        {"wbmplanes", header.planes},
        {"wbmwidthbytes", header.widthBytes},
        {"piccropl", header.cropLeft},
        {"piccropr", header.cropRight},
        {"piccropt", header.cropTop},
        {"piccropb", header.cropBottom},
    };
    for (const auto& [word, value] : numbers)
        if (value != 0)
            out_.word(word, value);
    if (header.scaleX != 100)
        out_.word("picscalex", header.scaleX);
    if (header.scaleY != 100)
        out_.word("picscaley", header.scaleY);
    out_.endLine();
    out_.hex(data);
    out_.raw("}");
}

} // namespace rtf
