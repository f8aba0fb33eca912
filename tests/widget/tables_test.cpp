#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "documents/filecontent.h"
#include "tests/support/scripted.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextTable>
#include <gtest/gtest.h>

namespace {

QByteArray pngHex() {
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toHex();
}

// "key" before a table, in a cell, in a nested table, after a picture in a
// cell, after the table and after a picture; a WMF the editor cannot draw.
QByteArray document() {
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 a key first\\par"
           "\\trowd\\trgaph108\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl one key\\cell"
           "\\pard\\intbl\\itap2 inner "
           "key\\nestcell{\\*\\nesttableprops\\trowd\\cellx1500\\nestrow}"
           "\\pard\\intbl\\cell{\\pict\\pngblip\\picw4\\pich2 " +
           pngHex() +
           "}key\\cell\\row"
           "\\pard after key{\\pict\\wmetafile8\\picw100\\pich100 010009000003}key\\par}";
}

class Tables : public ::testing::Test {
protected:
    void SetUp() override {
        harness.load();
        harness.showActive();
        const QString file = path(QStringLiteral("tables.rtf"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(document());
        out.close();
        harness.dialogs->openAnswers.push_back(FileDialogResult{file, 0});
        form().PushButton1_Click();
        ASSERT_EQ(form().TabControl1->count(), 2);
    }
    Form1& form() { return *harness.form; }
    RichTextSurface& current() { return form().currentSurface(); }
    QString path(const QString& name) const { return harness.folder.filePath(name); }
    QString caption() {
        return form().TabControl1->caption(form().TabControl1->selectedPosition());
    }
    void select(qsizetype start, qsizetype length) {
        current().setSelStart(qint32(start));
        current().setSelLength(qint32(length));
    }
    QTextTable* table() {
        const auto frames = current().document()->rootFrame()->childFrames();
        return frames.isEmpty() ? nullptr : qobject_cast<QTextTable*>(frames[0]);
    }
    QString dumpOfFile(const QString& file) {
        QTextDocument reread;
        reread.setDefaultFont(current().document()->defaultFont());
        rtf::loadBytes(reread, readFileContent(file));
        return QString::fromUtf8(rtf::dumpDocument(reread));
    }
    QString dump() { return QString::fromUtf8(rtf::dumpDocument(*current().document())); }

    FormHarness harness;
};

TEST_F(Tables, TypingInACellMarksTheDocumentChanged) {
    EXPECT_EQ(caption(), QStringLiteral("tables.rtf"));
    ASSERT_NE(table(), nullptr);
    select(current().text().indexOf(u"one") + 3, 0);
    QTest::keyClicks(current().widget(), QStringLiteral("X"));
    EXPECT_EQ(caption(), QStringLiteral("tables.rtf*"));
    EXPECT_TRUE(current().text().contains(u"oneX key"));
    const QTextTableCell cell = table()->cellAt(0, 0);
    EXPECT_EQ(current().document()->findBlock(cell.firstPosition()).text(), u"oneX key");
}

TEST_F(Tables, TheToolbarActsOnTheSelectionInsideACell) {
    const QString text = current().text();
    select(text.indexOf(u"one"), 3);
    form().Check1->setChecked(true);  // bold
    form().Option2->setChecked(true); // centred
    select(text.indexOf(u"one"), 3);
    EXPECT_EQ(current().selBold(), std::optional<bool>(true));
    EXPECT_EQ(current().selAlignment(), std::optional<qint16>(2));
    select(text.indexOf(u"one") + 3, 4);
    EXPECT_EQ(current().selBold(), std::optional<bool>(false));
    select(text.indexOf(u"inner"), 5);
    EXPECT_EQ(current().selBold(), std::optional<bool>(false));
    EXPECT_EQ(current().selAlignment(), std::optional<qint16>(0));
    EXPECT_EQ(current().text(), text);
    ASSERT_NE(table(), nullptr);
    EXPECT_EQ(table()->columns(), 3);
    EXPECT_EQ(caption(), QStringLiteral("tables.rtf*"));
}

TEST_F(Tables, SaveSaveAsAndSaveAllKeepTablesAndPictures) {
    QTest::keyClicks(current().widget(), QStringLiteral("Z"));
    form().PushButton7_Click(); // Save
    EXPECT_EQ(caption(), QStringLiteral("tables.rtf"));
    EXPECT_EQ(dumpOfFile(path(QStringLiteral("tables.rtf"))), dump());
    EXPECT_TRUE(dump().contains(u"\"kind\": \"wmf\""));
    EXPECT_TRUE(dump().contains(u"\"kind\": \"png\""));
    EXPECT_TRUE(dump().contains(u"\"table\""));

    harness.dialogs->saveAnswers.push_back(FileDialogResult{path(QStringLiteral("copy.rtf")), 0});
    form().PushButton14_Click(); // Save As
    EXPECT_EQ(dumpOfFile(path(QStringLiteral("copy.rtf"))), dump());

    select(current().text().indexOf(u"inner"), 0);
    QTest::keyClicks(current().widget(), QStringLiteral("Y"));
    form().PushButton8_Click(); // Save All
    EXPECT_EQ(caption(), QStringLiteral("copy.rtf"));
    EXPECT_EQ(dumpOfFile(path(QStringLiteral("copy.rtf"))), dump());
    EXPECT_TRUE(current().text().contains(u"Yinner key"));
}

TEST_F(Tables, FindSelectsExactlyItsMatchAroundTablesAndPictures) {
    const QString text = current().text();
    harness.messages->inputAnswers.push_back(QStringLiteral("KEY"));
    form().PushButton3_Click(); // Find
    // Before, in a cell, in the nested table, after a picture in a cell,
    // after the table, after a picture.
    QStringList blocks;
    for (int i = 0; i < 6; ++i) {
        if (i > 0)
            form().PushButton13_Click(); // Find Next
        const QTextCursor cursor = current().widget()->textCursor();
        EXPECT_EQ(cursor.selectedText(), u"key") << i;
        EXPECT_EQ(text.mid(current().selStart(), current().selLength()), u"key") << i;
        blocks << cursor.block().text();
    }
    EXPECT_EQ(blocks, (QStringList{QStringLiteral("a key first"), QStringLiteral("one key"),
                                   QStringLiteral("inner key"), QStringLiteral("\uFFFCkey"),
                                   QStringLiteral("after key\uFFFCkey"),
                                   QStringLiteral("after key\uFFFCkey")}));
    EXPECT_TRUE(harness.messages->shown.empty());
}

} // namespace
