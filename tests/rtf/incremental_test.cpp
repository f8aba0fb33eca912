// The writer that writes a document a piece at a time between edits: its file
// must read back as the whole-document writer's does, for every kind of
// content, and after any edits made while it was half written.
#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "components/rtf/writer.h"
#include "tests/rtf/testfile.h"

#include <QDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>
#include <QTextTable>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace {

QByteArray reread(const QByteArray& rtf) {
    QTextDocument document;
    rtf::loadBytes(document, rtf);
    return rtf::dumpDocument(document) + rtf::saveBytes(document);
}

// The pieces written to the end, the deadline passed before each one.
QByteArray writeInPieces(rtf::IncrementalWriter& writer) {
    int calls = 0;
    while (!writer.write(QDeadlineTimer(0)))
        EXPECT_LT(++calls, 1000000) << "the writer makes no progress";
    return writer.file().join();
}

// What reading the pieces gives, against reading the document saved whole.
void expectReadsAsSaved(const QTextDocument& document, rtf::IncrementalWriter& writer,
                        const std::string& what) {
    EXPECT_EQ(reread(writeInPieces(writer)).toStdString(),
              reread(rtf::saveBytes(document)).toStdString())
        << what;
}

TEST(IncrementalWriter, EveryTestFileReadsBackAsItsSave) {
    const QDir folder(QStringLiteral(RTF_TEST_DATA));
    const QStringList files = folder.entryList({QStringLiteral("*.rtf")}, QDir::Files);
    ASSERT_GT(files.size(), 10);
    for (const QString& name : files) {
        QTextDocument document;
        document.documentLayout();
        loadTestFile(document, folder.filePath(name));
        rtf::IncrementalWriter writer(document);
        ASSERT_TRUE(writer.write(QDeadlineTimer::Forever));
        EXPECT_EQ(reread(writer.file().join()).toStdString(),
                  reread(rtf::saveBytes(document)).toStdString())
            << name.toStdString();
    }
}

// One random edit of the kinds a user makes: typing, deleting across
// paragraphs and tables, new paragraphs, character and paragraph formats,
// lists, table rows and whole tables.
void randomEdit(QTextDocument& document, std::mt19937& random) {
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    QTextCursor cursor(&document);
    const int last = document.characterCount() - 1;
    cursor.setPosition(pick(0, last));
    switch (pick(0, 8)) {
    case 0:
        cursor.insertText(QStringLiteral("typed"));
        break;
    case 1:
        cursor.setPosition(std::min(last, cursor.position() + pick(1, 60)),
                           QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        break;
    case 2:
        cursor.insertBlock();
        break;
    case 3: {
        cursor.setPosition(std::min(last, cursor.position() + pick(1, 40)),
                           QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setFontWeight(pick(0, 1) ? QFont::Bold : QFont::Normal);
        format.setForeground(QColor::fromRgb(static_cast<QRgb>(pick(0, 0xffffff))));
        format.setFontFamilies(
            {pick(0, 1) ? QStringLiteral("Courier New") : QStringLiteral("Georgia")});
        cursor.mergeCharFormat(format);
        break;
    }
    case 4: {
        QTextBlockFormat format;
        format.setAlignment(pick(0, 1) ? Qt::AlignHCenter : Qt::AlignLeft);
        format.setLeftMargin(pick(0, 4) * 12);
        cursor.mergeBlockFormat(format);
        break;
    }
    case 5:
        if (QTextList* list = cursor.currentList(); list && pick(0, 1)) {
            QTextListFormat format = list->format();
            format.setStyle(format.style() == QTextListFormat::ListDecimal
                                ? QTextListFormat::ListDisc
                                : QTextListFormat::ListDecimal);
            list->setFormat(format);
        } else {
            cursor.createList(pick(0, 1) ? QTextListFormat::ListDecimal
                                         : QTextListFormat::ListDisc);
        }
        break;
    case 6:
        if (QTextTable* table = cursor.currentTable())
            table->insertRows(0, 1);
        else
            cursor.insertTable(2, 2)->cellAt(0, 0).firstCursorPosition().insertText(
                QStringLiteral("cell"));
        break;
    case 7:
        cursor.insertText(QStringLiteral("link"), [] {
            QTextCharFormat format;
            format.setAnchor(true);
            format.setAnchorHref(QStringLiteral("https://example.org/"));
            return format;
        }());
        break;
    default:
        cursor.select(QTextCursor::Document);
        cursor.mergeCharFormat([] {
            QTextCharFormat format;
            format.setFontItalic(true);
            return format;
        }());
        break;
    }
}

TEST(IncrementalWriter, EditsBetweenPiecesAreAllInTheFile) {
    for (const unsigned seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        QTextDocument document;
        document.documentLayout(); // edits are reported only to a laid-out document
        loadTestFile(document, QStringLiteral(RTF_TEST_DATA) +
                                   (seed % 2 ? "/word-tables.rtf" : "/libreoffice.rtf"));
        std::mt19937 random(seed);
        rtf::IncrementalWriter writer(document);
        for (int round = 0; round < 3; ++round) {
            // Half written, then edited between pieces, then finished.
            for (int step = 0; step < 40; ++step) {
                writer.write(QDeadlineTimer(0));
                randomEdit(document, random);
            }
            expectReadsAsSaved(document, writer,
                               "seed " + std::to_string(seed) + ", round " + std::to_string(round));
        }
    }
}

// An edit costs the next copy the paragraphs it touched, not the rest.
TEST(IncrementalWriter, AnEditWritesAgainOnlyTheParagraphsItTouched) {
    QTextDocument document;
    document.documentLayout();
    QStringList paragraphs;
    for (int i = 0; i < 200; ++i)
        paragraphs << QStringLiteral("Paragraph %1.").arg(i);
    document.setPlainText(paragraphs.join(QLatin1Char('\n')));
    rtf::IncrementalWriter writer(document);
    ASSERT_TRUE(writer.write(QDeadlineTimer::Forever));
    EXPECT_EQ(writer.piecesWritten(), 200);
    auto writtenAgainAfter = [&](const std::function<void(QTextCursor&)>& edit) {
        QTextCursor cursor(document.findBlockByNumber(100));
        cursor.movePosition(QTextCursor::EndOfWord);
        edit(cursor);
        const qint64 before = writer.piecesWritten();
        EXPECT_TRUE(writer.write(QDeadlineTimer::Forever));
        expectReadsAsSaved(document, writer, "");
        return writer.piecesWritten() - before;
    };
    EXPECT_EQ(writtenAgainAfter([](QTextCursor& at) { at.insertText(QStringLiteral("x")); }), 1);
    EXPECT_EQ(writtenAgainAfter([](QTextCursor& at) { at.insertBlock(); }), 2);
    EXPECT_EQ(writtenAgainAfter([](QTextCursor& at) {
                  at.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 3);
                  at.removeSelectedText();
              }),
              1);
}

// The empty paragraph Qt keeps before a table at the start is left out of the
// file; once the table goes it is the document's first paragraph again.
TEST(IncrementalWriter, TheParagraphBeforeATableIsWrittenOnceTheTableGoes) {
    QTextDocument document;
    document.documentLayout();
    QTextCursor cursor(&document);
    QTextTable* table = cursor.insertTable(1, 2);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("after"));
    rtf::IncrementalWriter writer(document);
    expectReadsAsSaved(document, writer, "with the table");
    table->removeRows(0, 1);
    expectReadsAsSaved(document, writer, "without it");
}

TEST(IncrementalWriter, ADocumentReplacedOrGoneIsNotWrittenFromItsOldPieces) {
    auto document = std::make_unique<QTextDocument>();
    document->documentLayout();
    document->setPlainText(QStringLiteral("first\nsecond"));
    rtf::IncrementalWriter writer(*document);
    writeInPieces(writer);
    rtf::loadBytes(*document, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs30 other\\par}");
    expectReadsAsSaved(*document, writer, "after loading another file");
    document->setDefaultFont(QFont(QStringLiteral("Georgia"), 15));
    expectReadsAsSaved(*document, writer, "after the default font changed");
    document.reset();
    EXPECT_FALSE(writer.write(QDeadlineTimer::Forever));
}

} // namespace
