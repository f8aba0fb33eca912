// The reader's fast paths against the slow definitions they replace: the
// tokenizer's block scan against a byte loop, the code-page tables against
// iconv itself, the text buffer's skipped cleaning against removeNonText().
#include "components/rtf/codepage.h"
#include "components/rtf/plaintextsink.h"
#include "components/rtf/reader.h"
#include "components/rtf/textbuffer.h"
#include "components/rtf/tokenizer.h"

#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <iconv.h>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<rtf::Token> tokens(std::string_view data, int codePage = 0) {
    rtf::Tokenizer tokenizer(data);
    tokenizer.setCodePage(codePage);
    std::vector<rtf::Token> all;
    for (rtf::Token token = tokenizer.next(); token.type != rtf::TokenType::End;
         token = tokenizer.next())
        all.push_back(token);
    return all;
}

// What glibc makes of one byte, with no table in between; U+FFFD where it
// has none.
char16_t iconvByte(const char* name, char byte) {
    iconv_t cd = iconv_open("UTF-16LE", name);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << name;
    char16_t out[2] = {};
    char* in = &byte;
    std::size_t inLeft = 1;
    char* to = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof(out);
    const bool ok = iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    return ok && outLeft == sizeof(out) - 2 ? qFromLittleEndian(out[0]) : u'\uFFFD';
}

QString bufferText(const std::function<void(rtf::TextBuffer&)>& fill) {
    rtf::TextBuffer buffer;
    fill(buffer);
    return buffer.text();
}

} // namespace

TEST(TokenizerScan, TextEndsAtEveryStopByteWhereverItFalls) {
    // Past, across and before each 16-byte block the scan takes at once.
    for (const char stop : {'\\', '{', '}', '\r', '\n', '\0'}) {
        for (std::size_t length = 1; length <= 40; ++length) {
            std::string data(length, 'x');
            data[length / 2] = '\xE9'; // bytes above ASCII are text
            data += stop;
            data += "tail";
            const auto all = tokens(data);
            ASSERT_FALSE(all.empty());
            EXPECT_EQ(all[0].type, rtf::TokenType::Text);
            EXPECT_EQ(all[0].text, std::string_view(data).substr(0, length))
                << "stop " << int(stop) << " after " << length;
        }
    }
    // Text to the very end of the input, with no stop byte at all.
    const std::string long_(37, 'y');
    ASSERT_EQ(tokens(long_).size(), 1u);
    EXPECT_EQ(tokens(long_)[0].text, long_);
    // A Shift-JIS trail byte may be a backslash or a brace and stays in the text.
    const auto sjis = tokens("\x95\\\x83{x\\par", 932);
    ASSERT_EQ(sjis.size(), 2u);
    EXPECT_EQ(sjis[0].text, "\x95\\\x83{x");
}

TEST(TokenizerScan, ControlWordParametersAndBinaryLengths) {
    const auto words = tokens("\\fs-x\\li-0\\b99999999999 \\ri-99999999999\\zz");
    ASSERT_EQ(words.size(), 6u);
    EXPECT_EQ(words[0].text, "fs");
    EXPECT_FALSE(words[0].hasParam); // a dash with no digit is text
    EXPECT_EQ(words[1].text, "-x");
    EXPECT_TRUE(words[2].hasParam);
    EXPECT_EQ(words[2].param, 0);
    EXPECT_EQ(words[3].param, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(words[4].param, -std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(words[5].text, "zz");

    const auto bin = tokens("\\bin5 ab}");
    ASSERT_EQ(bin.size(), 1u);
    EXPECT_EQ(bin[0].type, rtf::TokenType::Binary);
    EXPECT_EQ(bin[0].text, "ab}"); // held to what the file has
    // No length, zero or negative: an ordinary word, the bytes after it read on.
    for (const char* data : {"\\bin x", "\\bin0 x", "\\bin-2 x", "\\binary3 x"}) {
        const auto all = tokens(data);
        ASSERT_EQ(all.size(), 2u) << data;
        EXPECT_EQ(all[0].type, rtf::TokenType::ControlWord) << data;
        EXPECT_EQ(all[1].text, "x") << data;
    }
}

TEST(CodePageTables, SingleBytePagesDecodeAsIconvDoes) {
    std::string everyByte;
    for (int b = 0; b <= 0xFF; ++b)
        everyByte += static_cast<char>(b);
    auto& pages = rtf::CodePages::instance();
    for (const auto& [page, name] : std::vector<std::pair<int, const char*>>{
             {1252, "CP1252"}, {1251, "CP1251"}, {437, "CP437"}, {10000, "MACINTOSH"}}) {
        const rtf::SingleByteTable* table = pages.singleByteTable(page);
        ASSERT_NE(table, nullptr) << page;
        QString expected;
        for (int b = 0; b <= 0xFF; ++b) {
            expected += QChar(iconvByte(name, static_cast<char>(b)));
            EXPECT_EQ(table->chars[b], expected.back()) << page << " byte " << b;
        }
        QString decoded;
        pages.decode(page, everyByte, decoded);
        EXPECT_EQ(decoded, expected) << page;
    }
    // Double-byte pages, UTF-8, and the pages whose converter joins a letter
    // and its accent have no table; they go through iconv whole.
    for (const int page : {932, 936, 949, 950, 65001, 1255, 1258})
        EXPECT_EQ(pages.singleByteTable(page), nullptr) << page;
    QString vietnamese;
    pages.decode(1258,
                 "a\xCC"
                 "b",
                 vietnamese);
    EXPECT_EQ(vietnamese, u"\u00E0b"); // the accent joins the letter before it
    // Those converters hold the last letter back for an accent that may
    // follow; it must still reach the run.
    for (const auto& [rtfText, text] :
         std::vector<std::pair<std::string_view, std::u16string_view>>{
             {"{\\rtf1\\ansi\\ansicpg1258 caf\\'e9 ok\\par x\\'e0b}", u"caf\u00E9 ok\r\nx\u00E0b"},
             {"{\\rtf1\\ansi\\ansicpg1255 \\'f9\\'e1}", u"\u05E9\u05D1"}}) {
        rtf::PlainTextSink sink;
        rtf::Reader(sink).read(rtfText);
        EXPECT_EQ(sink.result(), QStringView(text));
    }
}

TEST(TextBufferCleaning, WhatIsNotTextGoesWhicheverPathBroughtIt) {
    // Control characters in ASCII runs and in table-decoded runs.
    EXPECT_EQ(bufferText([](auto& b) {
                  b.appendBytes("a\x01"
                                "b\x7F"
                                "c\td",
                                1252);
              }),
              u"abc\td");
    EXPECT_EQ(bufferText([](auto& b) { b.appendBytes("\xE9\x02x", 1252); }), u"\u00E9x");
    // After a table-decoded byte, the same code page decodes the ASCII that
    // follows; another code page starts afresh.
    EXPECT_EQ(bufferText([](auto& b) {
                  b.appendBytes("\xE9", 1252);
                  b.appendBytes("t\x03", 1252);
                  b.appendBytes("\xE9", 1251);
              }),
              u"\u00E9t\u0439");
    // Surrogate halves: a pair stays, each lone half becomes U+FFFD.
    EXPECT_EQ(bufferText([](auto& b) {
                  b.appendChar(0xD83D);
                  b.appendChar(0xDE00);
                  b.appendBytes("x", 1252);
              }),
              u"\U0001F600x");
    EXPECT_EQ(bufferText([](auto& b) {
                  b.appendChar(0xD83D);
                  b.appendBytes("x", 1252);
                  b.appendChar(0xDE00);
                  b.appendChar(0xD83D);
              }),
              u"\uFFFDx\uFFFD\uFFFD");
    EXPECT_EQ(bufferText([](auto& b) {
                  b.appendChar(0xD83D);
                  b.appendChar(0xD83D);
                  b.appendChar(0xDE00);
              }),
              u"\uFFFD\U0001F600");
    // Structure characters from \uN and from a multi-byte page are dropped.
    EXPECT_EQ(bufferText([](auto& b) {
                  b.appendChar(0x2029);
                  b.appendBytes("\xEF\xBF\xBC"
                                "a",
                                65001);
              }),
              u"a");
}

TEST(PlainTextSinkLines, LineBreaksInsideRunsBecomeLineFeeds) {
    rtf::PlainTextSink sink;
    const rtf::RunFormat format;
    sink.text(u"a\u2028b", format);
    sink.text(u"c", format);
    sink.endParagraph({}, format);
    sink.text(u"\u2028\u2028d\u2028", format);
    EXPECT_EQ(sink.result(), u"a\nbc\r\n\n\nd\n");
}
