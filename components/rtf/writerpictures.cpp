#include "components/rtf/rtfwriter.h"

#include "components/rtf/controlwords.h"

namespace rtf {

void Writer::writePicture(const Picture& header) {
    const QByteArray& data = header.data;
    if (header.kind == PictureKind::TextBox) {
        // A text box whose shape went (pasted from elsewhere): its text stays.
        runs_.text(QString::fromUtf8(data).replace(u'\n', QChar(0x2028)), false);
        return;
    }
    runs_.raw("{");
    runs_.word("pict");
    runs_.raw(
        std::string_view(header.properties.constData(), std::size_t(header.properties.size())));
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
            runs_.word(word, header.kindParameter);
        else
            runs_.word(word);
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
            runs_.word(word, value);
    if (header.scaleX != 100)
        runs_.word("picscalex", header.scaleX);
    if (header.scaleY != 100)
        runs_.word("picscaley", header.scaleY);
    runs_.endLine();
    runs_.hex(data);
    runs_.raw("}");
}

} // namespace rtf
