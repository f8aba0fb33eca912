#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "recordingsink.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <gtest/gtest.h>
#include <string>

TEST(ReaderTables, RowDefinitionsWithBordersShadingAndMerges) {
    const auto sink = readRtf("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}"
                              "\\trowd\\trgaph108\\trleft-"
                              "108\\trqc\\clbrdrt\\brdrs\\brdrw10\\brdrcf1\\clcbpat1\\cellx2000"
                              "\\clmgf\\clvertalc\\cellx4000\\clmrg\\clvmgf\\cellx6000"
                              "\\pard\\intbl A\\cell B\\cell\\cell\\row}");
    ASSERT_EQ(sink.rows.size(), 1u);
    const rtf::RowFormat& row = sink.rows[0];
    EXPECT_EQ(row.gap, 108);
    EXPECT_EQ(row.left, -108);
    EXPECT_EQ(row.alignment, rtf::Alignment::Center);
    ASSERT_EQ(row.cells.size(), 3u);
    EXPECT_EQ(row.cells[0].rightEdge, 2000);
    EXPECT_EQ(row.cells[0].top.style, rtf::BorderStyle::Solid);
    EXPECT_EQ(row.cells[0].top.width, 10);
    EXPECT_EQ(row.cells[0].top.color, qRgb(255, 0, 0));
    EXPECT_EQ(row.cells[0].background, qRgb(255, 0, 0));
    EXPECT_TRUE(row.cells[1].mergeFirst);
    EXPECT_EQ(row.cells[1].alignment, rtf::CellAlignment::Center);
    EXPECT_TRUE(row.cells[2].merged);
    EXPECT_TRUE(row.cells[2].verticalMergeFirst);
    EXPECT_EQ(sink.events.join(QLatin1Char(' ')), u"cell1 cell1 cell1 row1");
    EXPECT_EQ(sink.joined(), u"A|B|");
    EXPECT_EQ(sink.paragraphs[0].format.tableDepth, 1);
}

TEST(ReaderTables, NestedRowsLeaveTheOuterDefinitionAlone) {
    const auto sink = readRtf(
        "{\\rtf1\\trowd\\cellx3000\\cellx6000\\pard\\intbl X\\cell"
        "\\pard\\intbl\\itap2 n1\\nestcell n2\\nestcell"
        "{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}{\\nonesttables hidden\\par}"
        "\\pard\\intbl\\itap1\\cell\\row\\pard after\\par}");
    EXPECT_EQ(sink.events.join(QLatin1Char(' ')), u"cell1 cell2 cell2 row2 cell1 row1");
    EXPECT_EQ(sink.joined(), u"X|n1|n2||after");
    ASSERT_EQ(sink.rows.size(), 2u);
    ASSERT_EQ(sink.rows[0].cells.size(), 2u);
    EXPECT_EQ(sink.rows[0].cells[1].rightEdge, 2000);
    ASSERT_EQ(sink.rows[1].cells.size(), 2u);
    EXPECT_EQ(sink.rows[1].cells[1].rightEdge, 6000);
    EXPECT_EQ(sink.paragraphs[1].format.tableDepth, 2);
    EXPECT_EQ(sink.paragraphs[3].format.tableDepth, 1);
    EXPECT_EQ(sink.paragraphs[4].format.tableDepth, 0);
}

TEST(ReaderTables, TextAfterTheLastCellAndAPardBeforeTheRowStayInTheRow) {
    const auto sink =
        readRtf("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\pard\\row c\\par}");
    EXPECT_EQ(sink.events.join(QLatin1Char(' ')), u"cell1 cell1 row1");
    EXPECT_EQ(sink.joined(), u"a|b|c");
    EXPECT_EQ(sink.paragraphs[1].format.tableDepth, 1);
    EXPECT_EQ(sink.paragraphs[2].format.tableDepth, 0);
}

namespace {

QTextDocument* load(QTextDocument& document, const QByteArray& rtf) {
    document.setDefaultFont(QFont(QStringLiteral("Arial"), 9));
    rtf::loadBytes(document, rtf);
    return &document;
}

std::vector<QTextTable*> tablesOf(const QTextFrame* frame) {
    std::vector<QTextTable*> tables;
    for (QTextFrame* child : frame->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(child))
            tables.push_back(table);
    return tables;
}

QString cellText(const QTextTable* table, int row, int column) {
    const QTextTableCell cell = table->cellAt(row, column);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

// Saving and reading back gives the same document and the same bytes again.
void expectStableRoundTrip(const QTextDocument& document) {
    const QByteArray saved = rtf::saveBytes(document);
    QTextDocument again;
    load(again, saved);
    EXPECT_EQ(rtf::dumpDocument(again).toStdString(), rtf::dumpDocument(document).toStdString());
    EXPECT_EQ(rtf::documentText(again), rtf::documentText(document));
    EXPECT_EQ(rtf::saveBytes(again).toStdString(), saved.toStdString());
}

} // namespace

TEST(DocumentTables, RowsOfDifferentCellsShareOneGridAndMergesSpanIt) {
    QTextDocument document;
    load(document, "{\\rtf1 before\\par"
                   "\\trowd\\cellx2000\\clmgf\\cellx4000\\clmrg\\cellx6000"
                   "\\pard\\intbl A\\cell B\\cell kept\\cell\\row"
                   "\\trowd\\clvmgf\\cellx3000\\cellx6000\\pard\\intbl C\\cell D\\cell\\row"
                   "\\trowd\\clvmrg\\cellx3000\\cellx6000\\pard\\intbl\\cell E\\cell\\row"
                   "\\trowd\\trleft1000\\cellx4000\\pard\\intbl F\\cell\\row"
                   "\\pard after\\par}");
    const auto tables = tablesOf(document.rootFrame());
    ASSERT_EQ(tables.size(), 1u);
    const QTextTable* table = tables[0];
    // Edges 0, 1000, 2000, 3000, 4000, 6000.
    EXPECT_EQ(table->columns(), 5);
    EXPECT_EQ(table->rows(), 4);
    EXPECT_EQ(table->cellAt(0, 0).columnSpan(), 2);
    EXPECT_EQ(table->cellAt(0, 2).columnSpan(), 3);
    // The merged-away cell's text stays, in the cell it merged into.
    EXPECT_EQ(cellText(table, 0, 2), QStringLiteral("B\u2029kept"));
    EXPECT_EQ(table->cellAt(1, 0).rowSpan(), 2);
    EXPECT_EQ(table->cellAt(1, 0).columnSpan(), 3);
    EXPECT_EQ(cellText(table, 2, 3), u"E");
    // The short last row: a filler before it and after it.
    EXPECT_EQ(table->cellAt(3, 1).columnSpan(), 3);
    EXPECT_EQ(cellText(table, 3, 1), u"F");
    EXPECT_EQ(rtf::documentText(document).toStdString(),
              "before\r\nA\r\nB\r\nkept\r\nC\r\nD\r\nE\r\n\r\nF\r\n\r\nafter");
    expectStableRoundTrip(document);

    const QByteArray saved = rtf::saveBytes(document);
    // Each row written with its own cells, the filler cells left out.
    EXPECT_TRUE(saved.contains("\\trowd\\trgaph0\\trleft0\\cellx2000\\cellx6000\r\n"));
    EXPECT_TRUE(saved.contains("\\trowd\\trgaph0\\trleft0\\clvmrg\\cellx3000\\cellx6000\r\n"));
    EXPECT_TRUE(saved.contains("\\trowd\\trgaph0\\trleft1000\\cellx4000\r\n"));
}

TEST(DocumentTables, TablesAtTheStartAndEndAddNoParagraphsOnSave) {
    QTextDocument document;
    load(document,
         "{\\rtf1\\trowd\\cellx1000\\pard\\intbl\\trowd\\cellx500\\cellx1000"
         "\\pard\\intbl\\itap2 in\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}"
         "\\pard\\intbl\\cell\\row}");
    // The document holds an empty paragraph before each table that starts
    // its frame and after each table; Text shows them as the surface does.
    EXPECT_EQ(rtf::documentText(document).toStdString(), "\r\n\r\nin\r\n\r\n\r\n");
    const QByteArray saved = rtf::saveBytes(document);
    // The one before the table is not written; the one after it is, as Word
    // writes one, and the \nonesttables fallback has its own.
    EXPECT_EQ(saved.count("\\par\r\n") + saved.count("\\par}"), 2) << saved.constData();
    // The file names no font: nor does what is saved of it.
    EXPECT_TRUE(saved.contains("\\uc1\r\n{\\fonttbl}\r\n{\\colortbl;}\r\n\\trowd"))
        << saved.constData();
    expectStableRoundTrip(document);

    // The empty paragraph left out may carry a font and colours of its own;
    // they stay out of the tables too, or the next save would drop them.
    load(document,
         "{\\rtf1{\\fonttbl{\\f0 Courier;}{\\f1 Times;}}"
         "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
         "\\f1\\cf1\\highlight2\\par\\plain\\trowd\\cellx1000\\pard\\intbl\\f0 in\\cell\\row}");
    const QByteArray tablesOfUse = rtf::saveBytes(document);
    EXPECT_FALSE(tablesOfUse.contains("Times")) << tablesOfUse.constData();
    EXPECT_TRUE(tablesOfUse.contains("{\\colortbl;}")) << tablesOfUse.constData();
    expectStableRoundTrip(document);
}

TEST(DocumentTables, BordersShadingAndGapSurvive) {
    QTextDocument document;
    load(document, "{\\rtf1{\\colortbl;\\red0\\green0\\blue255;\\red200\\green200\\blue200;}"
                   "\\trowd\\trgaph108\\trleft-108\\trqc\\clbrdrt\\brdrdb\\brdrw30\\brdrcf1"
                   "\\clbrdrb\\brdrdot\\brdrw15\\clcbpat2\\clvertalb\\cellx2000"
                   "\\pard\\intbl\\qc x\\cell\\row}");
    const QTextTable* table = tablesOf(document.rootFrame()).at(0);
    const QTextTableCellFormat cell = table->cellAt(0, 0).format().toTableCellFormat();
    EXPECT_EQ(cell.topBorderStyle(), QTextFrameFormat::BorderStyle_Double);
    EXPECT_DOUBLE_EQ(cell.topBorder(), 2.0);
    EXPECT_EQ(cell.topBorderBrush().color(), QColor(0, 0, 255));
    EXPECT_EQ(cell.bottomBorderStyle(), QTextFrameFormat::BorderStyle_Dotted);
    EXPECT_EQ(cell.background().color(), QColor(200, 200, 200));
    EXPECT_EQ(cell.verticalAlignment(), QTextCharFormat::AlignBottom);
    EXPECT_DOUBLE_EQ(cell.leftPadding(), 108 / 15.0);
    EXPECT_EQ(table->format().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    expectStableRoundTrip(document);
    const QByteArray saved = rtf::saveBytes(document);
    // Colours are numbered in the order the file first uses them.
    EXPECT_TRUE(saved.contains("{\\colortbl;\\red0\\green0\\blue255;\\red0\\green0\\blue0;"
                               "\\red200\\green200\\blue200;}"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("\\trowd\\trgaph108\\trleft-108\\trqc\\clvertalb\\clbrdrt\\brdrdb"
                               "\\brdrw30\\brdrcf1\\clbrdrb\\brdrdot\\brdrw15\\brdrcf2\\clcbpat3"
                               "\\cellx2000"))
        << saved.constData();
}

TEST(DocumentTables, CountsFromTheFileAreBounded) {
    // A row claiming a hundred thousand cells, five thousand cells of text
    // without a row end, and rows whose edges share nothing.
    std::string rtf = "{\\rtf1\\trowd";
    for (int i = 1; i <= 100000; ++i)
        rtf.append("\\cellx").append(std::to_string(i * 10));
    rtf += "\\pard\\intbl a\\cell\\row\\pard\\intbl ";
    for (int i = 0; i < 5000; ++i)
        rtf.append("c").append(std::to_string(i)).append("\\cell ");
    rtf += "\\pard between\\par";
    for (int i = 0; i < 200; ++i)
        rtf.append("\\trowd\\cellx")
            .append(std::to_string(100 + i * 7))
            .append("\\pard\\intbl r\\cell\\row");
    rtf += "\\pard\\intbl\\itap999 deep\\nestcell\\nestrow\\row\\nestrow\\cellx-5\\cellx-9}";
    QTextDocument document;
    load(document, QByteArray::fromStdString(rtf));
    const QString text = rtf::documentText(document);
    EXPECT_TRUE(text.contains(u"c0\r\n"));
    EXPECT_TRUE(text.contains(u"c4999"));
    EXPECT_EQ(text.split(QStringLiteral("\r\n")).count(QStringLiteral("r")), 200);
    EXPECT_TRUE(text.contains(u"deep"));
    for (const QTextTable* table : tablesOf(document.rootFrame()))
        EXPECT_LE(table->columns(), 257);
    expectStableRoundTrip(document);
}

TEST(DocumentTables, MergedCellsMakeNoColumnsAndFormattedEmptyParagraphsStay) {
    QTextDocument document;
    // The edge at 2000 lies inside a merged cell; the empty centred
    // paragraph before the nested table is the file's own.
    load(document, "{\\rtf1\\trowd\\cellx1000\\clmgf\\cellx2000\\clmrg\\cellx3000"
                   "\\pard\\intbl a\\cell b\\cell\\cell\\row"
                   "\\trowd\\cellx3000\\pard\\intbl\\qc\\par\\pard\\intbl\\itap2 n\\nestcell"
                   "{\\*\\nesttableprops\\trowd\\cellx900\\nestrow}\\pard\\intbl\\cell\\row}");
    const QTextTable* table = tablesOf(document.rootFrame()).at(0);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->cellAt(0, 1).columnSpan(), 1);
    EXPECT_EQ(table->cellAt(1, 0).columnSpan(), 2);
    expectStableRoundTrip(document);
}

TEST(DocumentTables, ATableMadeInTheEditorIsWrittenAndReadBack) {
    // A table that came from elsewhere (pasted), with no edges of its own and
    // a list inside a cell.
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("Arial"), 9));
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("above"));
    QTextTable* table = cursor.insertTable(2, 3);
    table->mergeCells(0, 0, 2, 1);
    table->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("item"));
    QTextCursor item = table->cellAt(0, 1).firstCursorPosition();
    item.createList(QTextListFormat::ListDisc);
    table->cellAt(1, 2).firstCursorPosition().insertText(QStringLiteral("last"));
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_TRUE(saved.contains("\\clvmgf\\cellx1440\\cellx2880\\cellx4320\r\n"))
        << saved.constData();
    QTextDocument again;
    load(again, saved);
    EXPECT_EQ(rtf::documentText(again), rtf::documentText(document));
    const QTextTable* read = tablesOf(again.rootFrame()).at(0);
    EXPECT_EQ(read->cellAt(1, 0).rowSpan(), 2);
    EXPECT_NE(again.findBlock(read->cellAt(0, 1).firstPosition()).textList(), nullptr);
    expectStableRoundTrip(again);
}

TEST(DocumentTables, LoadingAgainReplacesTheTables) {
    QTextDocument document;
    load(document,
         "{\\rtf1\\trowd\\cellx1000\\pard\\intbl a\\cell\\row"
         "\\trowd\\cellx500\\pard\\intbl\\itap2 b\\nestcell\\nestrow\\pard\\intbl\\cell\\row}");
    ASSERT_EQ(tablesOf(document.rootFrame()).size(), 1u);
    load(document, "{\\rtf1 plain\\par}");
    EXPECT_TRUE(document.rootFrame()->childFrames().isEmpty());
    EXPECT_EQ(rtf::documentText(document), u"plain");
}

TEST(DocumentTables, EdgesAtTheLimitWithUndefinedCellsSaveStably) {
    // An edge beyond the largest the reader takes, then cells with no
    // definition: the edges made up for them must read back as written.
    QTextDocument document;
    load(document,
         "{\\rtf1\\trowd\\cellx1000\\cellx999999\\pard\\intbl A\\cell B\\cell C\\cell D\\cell\\row"
         "\\trowd\\cellx63000\\pard\\intbl E\\cell F\\cell G\\cell\\row"
         "\\trowd\\cellx63360\\pard\\intbl H\\cell I\\cell\\row}");
    EXPECT_EQ(rtf::documentText(document).count(u'G'), 1);
    EXPECT_FALSE(rtf::saveBytes(document).contains("cellx63361")) << "past the largest edge read";
    expectStableRoundTrip(document);
}

TEST(DocumentTables, MergedCellsOfNoWidthKeepTheEdgeOfTheCellTheyJoin) {
    // Word writes the cells merged into their left neighbour with that
    // neighbour's edge; the joined cell ends there, not a twip per cell on.
    QTextDocument document;
    load(document,
         "{\\rtf1\\trowd\\cellx216\\clmgf\\cellx7272\\clmrg\\cellx7272\\clmrg\\cellx7272"
         "\\cellx10800\\pard\\intbl a\\cell b\\cell\\cell\\cell c\\cell\\row\\pard\\par"
         "\\trowd\\clmgf\\cellx63360\\clmrg\\cellx63360\\pard\\intbl d\\cell\\cell\\row\\pard\\par"
         "\\trowd\\clvmgf\\cellx500\\cellx900\\pard\\intbl e\\cell f\\cell\\row"
         "\\trowd\\clvmrg\\cellx500\\clmrg\\cellx500\\pard\\intbl\\cell g\\cell\\row}");
    const auto tables = tablesOf(document.rootFrame());
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_EQ(tables[0]->columns(), 3);
    EXPECT_EQ(cellText(tables[0], 0, 1), u"b");
    EXPECT_EQ(cellText(tables[0], 0, 2), u"c");
    const QByteArray saved = rtf::saveBytes(document);
    EXPECT_TRUE(saved.contains("\\cellx216\\cellx7272\\cellx10800\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\cellx63360\r\n")) << saved.constData();
    // Below a vertical merge a \clmrg joins nothing: it keeps a width of its own.
    EXPECT_TRUE(rtf::documentText(document).contains(u"g"));
    expectStableRoundTrip(document);
}
