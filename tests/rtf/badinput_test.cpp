#include "recordingsink.h"

#include "components/rtf/tokenizer.h"

#include <gtest/gtest.h>
#include <string>

// Broken files must read without a crash or a hang, and show what they hold.

TEST(ReaderBadInput, UnbalancedBraces) {
    EXPECT_EQ(readRtf("{\\rtf1 a{\\b b}}}}} c").joined(), u"ab");
    EXPECT_EQ(readRtf("{\\rtf1 a{{{\\b b\\par c").joined(), u"ab|c");
    EXPECT_EQ(readRtf("}}}").joined(), u"");
}

TEST(ReaderBadInput, MissingEndAndTruncation) {
    EXPECT_EQ(readRtf("{\\rtf1\\ansi one\\par two").joined(), u"one|two");
    const std::string full = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1;}"
                             "\\f0\\b caf\\'e9 \\u8364? \\bin3 xyz{\\field{\\*\\fldinst X}"
                             "{\\fldrslt done}}\\par}";
    // Every prefix of a file reads, and never shows more than the whole file.
    const QString whole = readRtf(full).joined();
    EXPECT_EQ(whole, u"caf\u00E9 \u20AC done");
    for (std::size_t length = 0; length < full.size(); ++length) {
        const QString part = readRtf(std::string_view(full).substr(0, length)).joined();
        EXPECT_LE(part.size(), whole.size()) << length;
    }
    // A truncated escape or control word at the very end.
    EXPECT_EQ(readRtf("{\\rtf1 a\\'e").joined(), u"a");
    EXPECT_EQ(readRtf("{\\rtf1 a\\").joined(), u"a");
    EXPECT_EQ(readRtf("{\\rtf1 a\\u").joined(), u"a\uFFFD");
}

TEST(ReaderBadInput, NestingDeeperThanTheBoundIsSkipped) {
    const std::size_t deep = rtf::Reader::maxDepth + 50;
    std::string rtf = "{\\rtf1 start";
    rtf += std::string(deep, '{') + "hidden" + std::string(deep, '}');
    rtf += " end}";
    EXPECT_EQ(readRtf(rtf).joined(), u"start end");
    // Within the bound, deep text still shows: Outlook's encapsulated HTML
    // goes past 2,700 levels.
    std::string within = "{\\rtf1 " + std::string(3000, '{') + "shown" + std::string(3000, '}');
    EXPECT_EQ(readRtf(within + "}").joined(), u"shown");
    // A million open braces and no close: bounded memory, no hang.
    EXPECT_EQ(readRtf("{\\rtf1 x" + std::string(1'000'000, '{')).joined(), u"x");
}

TEST(ReaderBadInput, HugeAndNegativeParameters) {
    const auto sink = readRtf("{\\rtf1{\\colortbl;\\red999999999999\\green-5\\blue3;}"
                              "\\fs99999999999999999999\\cf-1\\li-99999999999\\fi2147483648"
                              "\\ilvl-3\\ls-7\\f-2147483648\\pnlvl-2147483648\\sb99999999 a"
                              "\\par\\cf1\\fs-4 b\\par\\uc99999999999\\u99999999999 "
                              "abcdefghijklmnopqrst\\par}");
    ASSERT_EQ(sink.paragraphs.size(), 3u);
    const auto& para = sink.paragraphs[0].format;
    EXPECT_EQ(para.leftIndent, -31680);
    EXPECT_EQ(para.firstIndent, 31680);
    EXPECT_EQ(para.spaceBefore, 31680);
    EXPECT_GE(para.listLevel, 0);
    EXPECT_LE(para.listLevel, 8);
    const auto& huge = sink.paragraphs[0].runs.at(0).format;
    EXPECT_GT(huge.points, 0);
    EXPECT_LE(huge.points, 1638);
    EXPECT_FALSE(huge.color.has_value());
    const auto& negative = sink.paragraphs[1].runs.at(0).format;
    EXPECT_EQ(negative.points, 12);
    EXPECT_EQ(negative.color, qRgb(255, 0, 3));
    // \uc is bounded, and a code point beyond Unicode is no character.
    EXPECT_EQ(sink.paragraphs[2].text(), u"\uFFFDqrst");
}

TEST(ReaderBadInput, BinLongerThanTheFile) {
    EXPECT_EQ(readRtf("{\\rtf1 a\\bin2000000000 {}}b").joined(), u"a");
    EXPECT_EQ(readRtf("{\\rtf1 a\\bin-5 b}").joined(), u"ab");
    EXPECT_EQ(readRtf("{\\rtf1 a\\bin0 b}").joined(), u"ab");
}

TEST(ReaderBadInput, NulBytesAndControlCharacters) {
    using namespace std::string_literals;
    const std::string rtf = "{\\rtf1 a\0b\\'00c\\u0 ?d\\'07e\x01\\u65534?f}"s;
    EXPECT_EQ(readRtf(rtf).joined(), u"abcde\uFFFEf");
    EXPECT_EQ(readRtf("{\\rtf1\x7f a\\'7fb\\u127?c}").joined(), u" abc");
    // Characters that would break the document's structure are dropped too.
    EXPECT_EQ(readRtf("{\\rtf1 a\\u8233?b\\u-4?c\\u65532?d}").joined(), u"abcd");
}

TEST(ReaderBadInput, OverlongControlWordAndJunk) {
    std::string rtf = "{\\" + std::string(100000, 'A') + "1 text}";
    EXPECT_EQ(readRtf(rtf).joined(), u"text");
    EXPECT_EQ(readRtf("{\\rtf1 \\'zz\\'4gx\\*\\*\\* y}").joined(), u"x y");
}

TEST(ReaderBadInput, DestinationOutsideAGroupDoesNotSwallowTheDocument) {
    EXPECT_EQ(readRtf("{\\rtf1\\fonttbl text\\par}").joined(), u"text");
}

TEST(Tokenizer, TokensOfEachKind) {
    rtf::Tokenizer tokenizer("{\\b-12 x\\'4a\\~\\bin3 a}b}");
    std::vector<rtf::TokenType> types;
    for (rtf::Token token = tokenizer.next(); token.type != rtf::TokenType::End;
         token = tokenizer.next()) {
        types.push_back(token.type);
        if (token.type == rtf::TokenType::ControlWord) {
            EXPECT_EQ(token.text, "b");
            EXPECT_EQ(token.param, -12);
        }
        if (token.type == rtf::TokenType::Binary) {
            EXPECT_EQ(token.text, "a}b");
        }
    }
    using T = rtf::TokenType;
    EXPECT_EQ(types, (std::vector<T>{T::GroupStart, T::ControlWord, T::Text, T::HexByte,
                                     T::ControlSymbol, T::Binary, T::GroupEnd}));
}
