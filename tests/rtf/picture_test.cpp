#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "components/rtf/qtsink.h"
#include "components/rtf/units.h"
#include "recordingsink.h"
#include "tests/rtf/testfile.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QByteArray pngOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage testImage() {
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(1, 1, qRgb(10, 200, 30));
    image.setPixel(4, 2, qRgb(250, 0, 128));
    return image;
}

void load(QTextDocument& document, const QByteArray& rtf) {
    document.setDefaultFont(QFont(QStringLiteral("Arial"), 9));
    rtf::loadBytes(document, rtf);
}

// The images of the document in order, with what they show.
struct Shown {
    QTextImageFormat format;
    QImage image;
};
std::vector<Shown> imagesOf(const QTextDocument& document) {
    std::vector<Shown> images;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) {
                const QTextImageFormat format = it.fragment().charFormat().toImageFormat();
                images.push_back(
                    {format, document.resource(QTextDocument::ImageResource, QUrl(format.name()))
                                 .value<QImage>()});
            }
    return images;
}

QByteArray roundTrip(const QTextDocument& document, QTextDocument& again) {
    const QByteArray saved = rtf::saveBytes(document);
    load(again, saved);
    return saved;
}

} // namespace

TEST(ReaderPictures, HexAndBinaryDataWithTheirSizes) {
    const auto sink =
        readRtf("{\\rtf1 a{\\pict\\pngblip\\picw6\\pich4\\picwgoal90\\pichgoal60\\picscalex50"
                "\\picscaley200{\\*\\blipuid 0011}\r\n01 0a\r\nFf 7}b"
                "{\\pict\\wmetafile8\\bin5 {}\\x}}c{\\pict\\emfblip\\bin99 short}");
    ASSERT_EQ(sink.pictures.size(), 3u);
    const rtf::Picture& png = sink.pictures[0];
    EXPECT_EQ(png.kind, rtf::PictureKind::Png);
    EXPECT_EQ(png.data, QByteArray::fromHex("010aff")); // the odd last digit is dropped
    EXPECT_EQ(png.width, 6);
    EXPECT_EQ(png.goalHeight, 60);
    EXPECT_EQ(png.intendedWidth(), 45);
    EXPECT_EQ(png.intendedHeight(), 120);
    const rtf::Picture& wmf = sink.pictures[1];
    EXPECT_EQ(wmf.kind, rtf::PictureKind::Wmf);
    EXPECT_EQ(wmf.kindParameter, 8);
    EXPECT_EQ(wmf.data, QByteArray("{}\\x}"));
    // \bin longer than the file: what there is, and nothing beyond; the
    // unfinished picture still shows.
    EXPECT_EQ(sink.pictures[2].data, QByteArray("short}"));
    EXPECT_EQ(sink.joined(), u"abc");
}

TEST(ReaderPictures, OnePictureOfAShapePairAndNoneOfSkippedGroups) {
    const auto sink =
        readRtf("{\\rtf1 {\\*\\shppict{\\pict\\pngblip 01}}{\\nonshppict{\\pict\\wmetafile8 02}}"
                "{\\header{\\pict\\pngblip 03}}{\\pict\\jpegblip{\\pict\\pngblip 04}05}"
                "{\\*\\listpicture{\\pict\\pngblip 06}}}");
    ASSERT_EQ(sink.pictures.size(), 2u);
    EXPECT_EQ(sink.pictures[0].data, QByteArray::fromHex("01"));
    EXPECT_EQ(sink.pictures[1].kind, rtf::PictureKind::Jpeg);
    EXPECT_EQ(sink.pictures[1].data, QByteArray::fromHex("05"));

    // A \nonshppict after no picture is the only copy: not shown (as
    // LibreOffice shows none), but saved where it stood. One after its
    // picture is the picture again, and the saved file has that picture.
    QTextDocument document;
    const QByteArray alone = "{\\nonshppict{\\pict\\wmetafile8 0102}}";
    rtf::loadBytes(document, "{\\rtf1\\ansi\\pard a" + alone +
                                 "b{\\*\\shppict{\\pict\\pngblip 01}}{\\nonshppict{\\pict"
                                 "\\wmetafile8 02}}\\par}");
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_TRUE(saved.contains("a" + alone + "b")) << saved.constData();
    EXPECT_EQ(saved.count("nonshppict"), 1) << saved.constData();
}

// Word and LibreOffice write a floating picture as a shape whose "pib"
// property holds it; the shape's other properties are no text.
TEST(ReaderPictures, APictureInsideAShapeIsRead) {
    const auto sink =
        readRtf("{\\rtf1 a{\\shp{\\*\\shpinst\\shpleft0\\shpright100{\\sp{\\sn shapeType}{\\sv 75}}"
                "{\\sp{\\sn pib}{\\sv {\\pict\\pngblip 07}}}{\\sp{\\sn fillColor}{\\sv 255}}}"
                "{\\shprslt{\\pict\\wmetafile8 08}}}b\\par}");
    ASSERT_EQ(sink.pictures.size(), 1u);
    EXPECT_EQ(sink.pictures[0].data, QByteArray::fromHex("07"));
    ASSERT_EQ(sink.paragraphs.size(), 1u);
    EXPECT_EQ(sink.joined(), u"ab") << "no property values in the text";
}

// The shape stands around its picture in the saved file, its position and
// other properties as they were, and the picture shows.
TEST(DocumentPictures, AFloatingPictureKeepsItsShapeAndPosition) {
    const QByteArray png = pngOf(testImage()).toHex();
    const QByteArray shape = "{\\shp{\\*\\shpinst\\shpleft1440\\shptop720\\shpright2880"
                             "\\shpbottom1440\\shpwr3{\\sp{\\sn shapeType}{\\sv 75}}"
                             "{\\sp{\\sn pib}{\\sv {\\pict\\pngblip\\picw5\\pich3 " +
                             png + "}}}}}";
    QTextDocument document;
    load(document, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 before " + shape + " after\\par}");
    ASSERT_EQ(imagesOf(document).size(), 1u);
    EXPECT_EQ(imagesOf(document)[0].image.size(), QSize(5, 3));
    QTextDocument again;
    const QByteArray saved = roundTrip(document, again);
    EXPECT_TRUE(saved.contains(shape)) << saved.constData();
    EXPECT_EQ(saved.count("\\pict"), 1) << "the shape's picture, not a second one";
    EXPECT_EQ(imagesOf(again).size(), 1u);
    EXPECT_EQ(rtf::saveBytes(again), saved);

    // Deleting the picture deletes the shape.
    QTextCursor cursor(&again);
    cursor.setPosition(QStringLiteral("before ").size());
    cursor.deleteChar();
    EXPECT_FALSE(rtf::saveBytes(again).contains("shp"));

    // A shape with text of the body in it is no floating picture: also text
    // that no paragraph end follows, hidden text (fuzz finds), a note, and
    // text after a text box's own, which then goes to the body too, as does
    // a text box before a picture (kept as well, its text doubled each save).
    for (const QByteArray& box :
         {QByteArray("{\\rtf{\\shp{\\pict}r}"), QByteArray("{\\rtf\\v{\\shp{\\pict}r}"),
          QByteArray("{\\rtf{\\shp{\\pict}{\\chftn{\\footnote n}}}"),
          QByteArray("{\\rtf{\\shp{\\shptxt box\\par}tail}}"),
          QByteArray("{\\rtf{\\shp{\\shptxt box}{\\pict}{\\chftn{\\footnote n}}}}"),
          QByteArray("{\\rtf{\\shp{\\shptxt box}{\\pict}}}")}) {
        QTextDocument unended;
        load(unended, box);
        QTextDocument unendedAgain;
        const QByteArray boxSaved = roundTrip(unended, unendedAgain);
        EXPECT_EQ(rtf::documentText(unendedAgain), rtf::documentText(unended)) << box.constData();
        EXPECT_FALSE(boxSaved.contains("shp")) << boxSaved.constData();
        EXPECT_EQ(rtf::saveBytes(unendedAgain), boxSaved) << box.constData();
        if (box.contains("box")) {
            EXPECT_TRUE(rtf::documentText(unended).startsWith(u"box")) << box.constData();
        }
    }
    // A piece kept inside the shape goes with the shape, once; one before it
    // stays before it.
    QTextDocument marked;
    load(marked,
         "{\\rtf1{\\*\\bkmkstart a}{\\shp{\\*\\bkmkstart b}{\\sp{\\sn pib}{\\sv {\\pict\\pngblip " +
             png + "}}}{\\*\\bkmkend b}}\\par}");
    QTextDocument markedAgain;
    const QByteArray markedSaved = roundTrip(marked, markedAgain);
    EXPECT_EQ(markedSaved.count("bkmkstart a"), 1) << markedSaved.constData();
    EXPECT_EQ(markedSaved.count("bkmkstart b"), 1) << markedSaved.constData();
    EXPECT_EQ(markedSaved.count("bkmkend b"), 1) << markedSaved.constData();
    EXPECT_LT(markedSaved.indexOf("bkmkstart a"), markedSaved.indexOf("shp"));
    EXPECT_EQ(rtf::saveBytes(markedAgain), markedSaved);
    // In a text box, which is not kept, what came after the picture stays
    // after it (before it, page words read as the document's on the next open).
    QTextDocument boxMarked;
    load(boxMarked, "{\\rtf1 {\\shp{\\*\\bkmkstart b}{\\sp{\\sn pib}{\\sv {\\pict\\pngblip " + png +
                        "}}}{\\*\\bkmkstart c}\\paperw9000 Caption}}\\par}");
    QTextDocument boxMarkedAgain;
    const QByteArray boxMarkedSaved = roundTrip(boxMarked, boxMarkedAgain);
    qsizetype at = 0;
    for (const char* piece : {"bkmkstart b", "\\pict", "bkmkstart c}\\paperw9000 ", "Caption"}) {
        const qsizetype found = boxMarkedSaved.indexOf(piece, at);
        EXPECT_GT(found, at) << piece << " in " << boxMarkedSaved.constData();
        at = std::max(found, at);
    }
    EXPECT_EQ(rtf::saveBytes(boxMarkedAgain), boxMarkedSaved);
}

// A text box (a shape with text of its own) goes back whole where it stood,
// its position, properties and text as they were. It shows as one picture of
// its text at the box's size, which deleting deletes.
TEST(DocumentPictures, ATextBoxIsKeptWholeAndShowsItsText) {
    const QByteArray box = "{\\shp{\\*\\shpinst\\shpleft1440\\shptop0\\shpright4320\\shpbottom1440"
                           "{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt \\pard\\b Boxed\\par "
                           "{\\shp{\\shptxt inner}}second\\par}}}";
    QTextDocument document;
    load(document, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 before " + box + " after\\par}");
    EXPECT_EQ(rtf::documentText(document), u"before \uFFFC after");
    ASSERT_EQ(imagesOf(document).size(), 1u);
    EXPECT_EQ(imagesOf(document)[0].image.size(), QSize(192, 96)) << "two inches by one";
    // Edited elsewhere, saved, opened again: the box is there as it was, once.
    QTextCursor(&document).insertText(QStringLiteral("New "));
    QTextDocument again;
    const QByteArray saved = roundTrip(document, again);
    EXPECT_TRUE(saved.contains(box)) << saved.constData();
    EXPECT_EQ(saved.count("Boxed"), 1);
    EXPECT_EQ(rtf::documentText(again), u"New before \uFFFC after");
    EXPECT_EQ(rtf::saveBytes(again), saved);
    // Two alike side by side stay two boxes.
    QTextDocument twice;
    load(twice, "{\\rtf1 " + box + box + "\\par}");
    const QByteArray twiceSaved = rtf::saveBytes(twice);
    EXPECT_EQ(twiceSaved.count(box), 2) << twiceSaved.constData();
    EXPECT_FALSE(twiceSaved.contains("}Boxed")) << "nor any of their text in the body";

    QTextCursor cursor(&again);
    cursor.setPosition(QStringLiteral("New before ").size());
    cursor.deleteChar();
    const QByteArray deleted = rtf::saveBytes(again);
    EXPECT_FALSE(deleted.contains("shp")) << deleted.constData();
    EXPECT_FALSE(deleted.contains("Boxed"));

    // The text shown is the box's, in the code page it was written in, with
    // its paragraphs and what shapes inside it hold; a picture of the shape
    // too gives way to its text.
    const auto sink = readRtf("{\\rtf1\\ansi\\ansicpg1251 a{\\shp{\\*\\shpinst{\\sp{\\sn pib}{\\sv "
                              "{\\pict\\pngblip 07}}}{\\shptxt \\'e0\\'e1\\par{\\v hidden}x"
                              "{\\shp{\\shptxt y}}}}}b\\par}");
    ASSERT_EQ(sink.pictures.size(), 1u);
    EXPECT_EQ(sink.pictures[0].kind, rtf::PictureKind::TextBox);
    EXPECT_EQ(QString::fromUtf8(sink.pictures[0].data), u"\u0430\u0431\u2028xy");
    EXPECT_EQ(sink.joined(), u"ab");
}

// A drawing with neither picture nor text (a line, a rectangle) shows
// nothing and goes back where it stood; a group of shapes goes back whole.
TEST(DocumentPictures, DrawingsAndGroupsOfShapesAreKeptWhereTheyStood) {
    const QByteArray drawing = "{\\shp{\\*\\shpinst\\shpleft0\\shpright900{\\sp{\\sn shapeType}"
                               "{\\sv 1}}{\\sp{\\sn fillColor}{\\sv 255}}}}";
    const QByteArray group =
        "{\\shpgrp{\\*\\shpinst\\shpleft0\\shpright900}"
        "{\\shp{\\*\\shpinst{\\shptxt one}}}{\\shp{\\*\\shpinst{\\shptxt two}}}}";
    QTextDocument document;
    load(document, "{\\rtf1{\\*\\bkmkstart m}a" + drawing + "b" + group + "c\\par}");
    EXPECT_EQ(rtf::documentText(document), u"ab\uFFFCc");
    QTextDocument again;
    const QByteArray saved = roundTrip(document, again);
    EXPECT_EQ(saved.count(drawing), 1) << saved.constData();
    EXPECT_EQ(saved.count(group), 1) << saved.constData();
    EXPECT_EQ(saved.count("bkmkstart m"), 1) << saved.constData();
    EXPECT_TRUE(saved.contains("a" + drawing + "b")) << saved.constData();
    EXPECT_EQ(rtf::saveBytes(again), saved);
    const auto sink = readRtf("{\\rtf1 " + group.toStdString() + "}");
    ASSERT_EQ(sink.pictures.size(), 1u);
    EXPECT_EQ(QString::fromUtf8(sink.pictures[0].data), u"one\u2028two");

    // Inside a field's result the drawing is kept once, with the field.
    QTextDocument field;
    load(field, "{\\rtf1 x{\\*\\bkmkstart k}{\\field{\\*\\fldinst SHAPE}{\\fldrslt " + drawing +
                    "}}y\\par}");
    const QByteArray fieldSaved = rtf::saveBytes(field);
    EXPECT_EQ(fieldSaved.count("shpinst"), 1) << fieldSaved.constData();
    EXPECT_EQ(fieldSaved.count("bkmkstart k"), 1) << fieldSaved.constData();

    // Older drawing objects (\do) alike: a rectangle kept where it stood, a
    // text box shown as its text at the size given after it.
    const QByteArray rectangle = "{\\*\\do\\dobxcolumn\\dprect\\dpx1275\\dpxsize1770\\dpysize855}";
    const QByteArray doBox = "{\\*\\do\\dobxpage\\dptxbx{\\dptxbxtext\\qc boxed\\par}\\dpx929"
                             "\\dpy340\\dpxsize2880\\dpysize1440\\dplinehollow0}";
    QTextDocument drawn;
    load(drawn, "{\\rtf1 a" + rectangle + "b" + doBox + "c\\par}");
    EXPECT_EQ(rtf::documentText(drawn), u"ab\uFFFCc");
    ASSERT_EQ(imagesOf(drawn).size(), 1u);
    EXPECT_EQ(imagesOf(drawn)[0].image.size(), QSize(192, 96)) << "two inches by one";
    QTextDocument drawnAgain;
    const QByteArray drawnSaved = roundTrip(drawn, drawnAgain);
    EXPECT_TRUE(drawnSaved.contains("a" + rectangle + "b")) << drawnSaved.constData();
    EXPECT_EQ(drawnSaved.count(doBox), 1) << drawnSaved.constData();
    EXPECT_EQ(rtf::saveBytes(drawnAgain), drawnSaved);
}

// A group of shapes with a picture in each shows them all and goes back
// whole, once, as long as one of its pictures is left.
TEST(DocumentPictures, AGroupOfShapesShowsEachPictureAndIsKeptOnce) {
    const QByteArray png = pngOf(testImage()).toHex();
    const auto shape = [&](const char* left) {
        return "{\\shp{\\*\\shpinst\\shpleft" + QByteArray(left) +
               "{\\sp{\\sn pib}{\\sv {\\pict\\pngblip\\picw5\\pich3 " + png + "}}}}}";
    };
    const QByteArray group = "{\\shpgrp{\\*\\shpinst\\shpleft0\\shpright900}" + shape("0") +
                             "{\\*\\bkmkstart inside}" + shape("450") + "}";
    QTextDocument document;
    load(document, "{\\rtf1\\ansi a" + group + "b\\par}");
    EXPECT_EQ(rtf::documentText(document), u"a\uFFFC\uFFFCb");
    EXPECT_EQ(imagesOf(document).size(), 2u);
    QTextCursor(&document).insertText(QStringLiteral("New "));
    QTextDocument again;
    const QByteArray saved = roundTrip(document, again);
    EXPECT_EQ(saved.count(group), 1) << saved.constData();
    EXPECT_EQ(saved.count("\\pict"), 2) << "the group's pictures, no others";
    EXPECT_EQ(saved.count("bkmkstart"), 1);
    EXPECT_EQ(rtf::documentText(again), u"New a\uFFFC\uFFFCb");
    EXPECT_EQ(rtf::saveBytes(again), saved);

    // One picture deleted, the group is still there whole; both, and it goes.
    QTextCursor cursor(&again);
    cursor.setPosition(QStringLiteral("New a").size());
    cursor.deleteChar();
    EXPECT_EQ(rtf::saveBytes(again).count(group), 1);
    cursor.deleteChar();
    EXPECT_EQ(rtf::documentText(again), u"New ab");
    EXPECT_FALSE(rtf::saveBytes(again).contains("shp"));

    // Text of the body inside the group: no floating pictures, shown in the line.
    QTextDocument mixed;
    load(mixed, "{\\rtf1 {\\shpgrp" + shape("0") + " text" + shape("450") + "}\\par}");
    EXPECT_EQ(rtf::documentText(mixed), u"\uFFFC text\uFFFC");
    EXPECT_FALSE(rtf::saveBytes(mixed).contains("shp"));
}

// An embedded object (a Paint picture, an equation) shows the picture of its
// result and goes back whole, its data with it.
TEST(DocumentPictures, AnEmbeddedObjectShowsItsResultAndKeepsItsData) {
    const QByteArray object = "{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw100\\objh60"
                              "{\\*\\objdata 01050000020000000f}{\\result {\\pict\\pngblip " +
                              pngOf(testImage()).toHex() + "}}}";
    QTextDocument document;
    load(document, "{\\rtf1\\ansi\\pard A" + object + "B\\par}");
    ASSERT_EQ(imagesOf(document).size(), 1u);
    EXPECT_EQ(rtf::documentText(document), u"A\uFFFCB");
    QTextDocument again;
    const QByteArray saved = roundTrip(document, again);
    EXPECT_TRUE(saved.contains(object)) << saved.constData();
    EXPECT_EQ(saved.count("objdata"), 1) << saved.constData();
    EXPECT_EQ(rtf::saveBytes(again), saved);

    QTextCursor cursor(&again);
    cursor.setPosition(1);
    cursor.deleteChar();
    EXPECT_FALSE(rtf::saveBytes(again).contains("obj")) << "deleting the picture deletes it";
}

TEST(DocumentPictures, PngShowsAtItsSizeAndItsPixelsSurviveSaving) {
    const QImage original = testImage();
    const QByteArray rtf = "{\\rtf1 x{\\pict\\pngblip\\picw5\\pich3\\picwgoal150\\pichgoal90 " +
                           pngOf(original).toHex() + "}y\\par}";
    QTextDocument document;
    load(document, rtf);
    EXPECT_EQ(rtf::documentText(document), u"x\uFFFCy");
    auto images = imagesOf(document);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_DOUBLE_EQ(images[0].format.width(), 10);
    EXPECT_DOUBLE_EQ(images[0].format.height(), 6);
    EXPECT_EQ(images[0].image.convertToFormat(QImage::Format_RGB32), original);

    QTextDocument again;
    const QByteArray saved = roundTrip(document, again);
    EXPECT_TRUE(saved.contains("{\\pict\\pngblip\\picw5\\pich3\\picwgoal150\\pichgoal90\r\n"));
    images = imagesOf(again);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].image.convertToFormat(QImage::Format_RGB32), original);
    EXPECT_EQ(rtf::dumpDocument(again), rtf::dumpDocument(document));

    // Its properties (a description for readers who cannot see it) stay with it.
    const QByteArray properties = "{\\*\\picprop{\\sp{\\sn wzDescription}{\\sv A red square}}}";
    QTextDocument described;
    load(described,
         "{\\rtf1 x{\\pict" + properties + "\\pngblip " + pngOf(original).toHex() + "}y\\par}");
    QTextDocument describedAgain;
    const QByteArray describedSaved = roundTrip(described, describedAgain);
    EXPECT_TRUE(describedSaved.contains("{\\pict" + properties + "\\pngblip"))
        << describedSaved.constData();
    EXPECT_EQ(rtf::saveBytes(describedAgain), describedSaved);
}

TEST(DocumentPictures, MetafilesKeepTheirBytesBehindAPlaceholder) {
    QByteArray wmf;
    for (int i = 0; i < 300; ++i)
        wmf.append(char(i * 7));
    const QByteArray rtf = "{\\rtf1{\\pict\\wmetafile8\\picw2540\\pich1270\\picscalex50 " +
                           wmf.toHex() + "}{\\pict\\emfblip\\picwgoal300\\pichgoal300 00ff}\\par}";
    QTextDocument document;
    load(document, rtf);
    auto images = imagesOf(document);
    ASSERT_EQ(images.size(), 2u);
    // 2540 hundredths of a millimetre are an inch; half of it shows.
    EXPECT_DOUBLE_EQ(images[0].format.width(), 48);
    EXPECT_DOUBLE_EQ(images[0].format.height(), 48);
    EXPECT_FALSE(images[0].image.isNull());

    QTextDocument again;
    const QByteArray saved = roundTrip(document, again);
    EXPECT_TRUE(saved.contains("{\\pict\\wmetafile8\\picw2540\\pich1270\\picscalex50\r\n"));
    EXPECT_TRUE(saved.contains("{\\pict\\emfblip\\picwgoal300\\pichgoal300\r\n00ff\r\n}"));
    images = imagesOf(again);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].format.property(rtf::property::pictureData).toByteArray(), wmf);
    EXPECT_EQ(rtf::saveBytes(again), saved);
}

TEST(DocumentPictures, SizesAndDataFromTheFileAllocateNothingHuge) {
    // A PNG header that claims 60000 x 60000 pixels, and sizes past any page.
    QByteArray png = pngOf(testImage());
    png[16] = 0, png[17] = 0, png[18] = char(0xEA), png[19] = 0x60;
    png[20] = 0, png[21] = 0, png[22] = char(0xEA), png[23] = 0x60;
    const QByteArray rtf = "{\\rtf1{\\pict\\pngblip\\picw2147483647\\pich99999999\\picwgoal"
                           "2147483647\\picscalex99999 " +
                           png.toHex() + "}{\\pict\\jpegblip\\bin-5 }{\\pict\\pngblip zz}\\par}";
    QTextDocument document;
    load(document, rtf);
    const auto images = imagesOf(document);
    ASSERT_EQ(images.size(), 3u);
    EXPECT_TRUE(images[0].format.boolProperty(rtf::property::picturePlaceholder));
    EXPECT_LE(images[0].format.width(), rtf::units::pixelsFromTwips(rtf::units::maxTwips));
    EXPECT_LE(images[0].format.height(), rtf::units::pixelsFromTwips(rtf::units::maxTwips));
    EXPECT_LE(images[0].image.width(), 64);
    QTextDocument again;
    roundTrip(document, again);
    EXPECT_EQ(rtf::dumpDocument(again).toStdString(), rtf::dumpDocument(document).toStdString());
}

TEST(DocumentPictures, AnImageFromElsewhereIsWrittenAsPng) {
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("Arial"), 9));
    document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pasted.png")),
                         testImage());
    QTextImageFormat image;
    image.setName(QStringLiteral("pasted.png"));
    image.setWidth(20);
    image.setHeight(12);
    QTextCursor(&document).insertImage(image);
    QTextDocument again;
    const QByteArray saved = roundTrip(document, again);
    EXPECT_TRUE(saved.contains("{\\pict\\pngblip\\picw5\\pich3\\picwgoal300\\pichgoal180\r\n"));
    const auto images = imagesOf(again);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].image.convertToFormat(QImage::Format_RGB32), testImage());
}

TEST(CorpusPictures, WmfBytesAndPngPixelsSurviveOpenSaveOpen) {
    QTextDocument document;
    loadTestFile(document, QStringLiteral(RTF_TEST_DATA "/wordpad-picture.rtf"));
    QTextDocument again;
    roundTrip(document, again);
    const auto before = imagesOf(document);
    const auto after = imagesOf(again);
    ASSERT_EQ(before.size(), 2u);
    ASSERT_EQ(after.size(), 2u);
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].format.property(rtf::property::pictureData).toByteArray(),
                  before[i].format.property(rtf::property::pictureData).toByteArray());
        EXPECT_EQ(after[i].image, before[i].image);
    }
    EXPECT_EQ(before[0].format.property(rtf::property::pictureData).toByteArray().size(), 32);
    EXPECT_FALSE(before[1].image.isNull());
}
