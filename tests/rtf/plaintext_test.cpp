#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "components/rtf/plaintext.h"

#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

QString loaded(const QByteArray& bytes) {
    QTextDocument document;
    rtf::loadBytes(document, bytes);
    return rtf::documentText(document);
}

} // namespace

TEST(PlainText, ByteOrderMarksDecide) {
    EXPECT_EQ(rtf::decodePlainText("\xEF\xBB\xBF\xC3\xA9"), u"\u00E9");
    EXPECT_EQ(rtf::decodePlainText(QByteArray("\xFF\xFE\xE9\x00\x3D\xD8\x0A\xDE", 8)),
              u"\u00E9\U0001F60A");
    EXPECT_EQ(rtf::decodePlainText(QByteArray("\xFE\xFF\x00\xE9", 4)), u"\u00E9");
}

TEST(PlainText, Utf8ElseWindows1252) {
    EXPECT_EQ(rtf::decodePlainText("caf\xC3\xA9 \xE2\x82\xAC"), u"caf\u00E9 \u20AC");
    // One invalid sequence makes the whole file Windows-1252.
    EXPECT_EQ(rtf::decodePlainText("caf\xC3\xA9 \x80"), u"caf\u00C3\u00A9 \u20AC");
    EXPECT_EQ(rtf::decodePlainText("\x93quoted\x94"), u"\u201Cquoted\u201D");
}

TEST(PlainText, LineEndsMakeParagraphsWithoutATrailingEmptyOne) {
    EXPECT_EQ(loaded("a\r\nb\nc\rd"), u"a\r\nb\r\nc\r\nd");
    EXPECT_EQ(loaded("a\r\nb\r\n"), u"a\r\nb");
    EXPECT_EQ(loaded("a\r\n\r\n"), u"a\r\n");
    EXPECT_EQ(loaded("\n"), u"");
    EXPECT_EQ(loaded(""), u"");
    EXPECT_EQ(loaded("\r\n\r\nx"), u"\r\n\r\nx");
}

TEST(PlainText, WhatFerrotabWroteReadsBackByteForByte) {
    for (const QByteArray& text : {QByteArray("one\r\ntwo\r\n"), QByteArray("\r\n\r\nx\r\n"),
                                   QByteArray("caf\xC3\xA9\ttab\r\n"), QByteArray("\r\n")}) {
        // Saving as plain text writes Text and one line break.
        EXPECT_EQ((loaded(text) + QLatin1StringView("\r\n")).toUtf8(), text);
    }
}

TEST(PlainText, StructureCharactersAndNotRtf) {
    EXPECT_EQ(loaded("a\xE2\x80\xA9"
                     "b"),
              u"a\uFFFDb");
    EXPECT_FALSE(rtf::isRtf("{\\rt"));
    EXPECT_FALSE(rtf::isRtf(" {\\rtf1"));
    EXPECT_TRUE(rtf::isRtf("\xEF\xBB\xBF{\\rtf1"));
    EXPECT_EQ(loaded("\xEF\xBB\xBF{\\rtf1 x}"), u"x");
    EXPECT_EQ(loaded("{\\rtx not rtf}"), u"{\\rtx not rtf}");
}
