#include "tests/support/scripted.h"
#include "tests/support/testfiles.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QRadioButton>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

QStringList items(const QComboBox* combo) {
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

// A 32x32 cursor file with its hotspot at (5, 3): an icon written by Qt's
// ico plugin, turned into a cursor in its header.
QByteArray cursorFile() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    EXPECT_TRUE(writer.write(image));
    bytes[2] = 2;  // type: cursor
    bytes[10] = 5; // hotspot x
    bytes[12] = 3; // hotspot y
    return bytes;
}

TEST(StartUp, LeavesTheDesignedStateWithOneUnchangedDocument) {
    FormHarness harness;
    Form1& form = harness.load();

    EXPECT_TRUE(harness.messages->shown.empty());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Ferrotab"));
    EXPECT_EQ(form.applicationTitle, QStringLiteral("Ferrotab"));
    EXPECT_EQ(form.documentCount, 1);
    EXPECT_FALSE(form.loadingFlag);
    ASSERT_EQ(form.TabControl1->count(), 1);
    EXPECT_EQ(form.TabControl1->caption(0), QStringLiteral("Untitled1.rtf"));
    EXPECT_EQ(form.TabControl1->selectedPosition(), 0);
    EXPECT_EQ(form.TabControl1->value(0), 0);
    EXPECT_EQ((*form.RichTextBox1)[0].tag(), QStringLiteral("0|"));
    EXPECT_EQ((*form.RichTextBox1)[0].text(), QString());
    EXPECT_EQ(items(form.Combo1),
              (QStringList{"8", "9", "10", "11", "12", "14", "18", "21", "38", "64", "72"}));
    EXPECT_EQ(form.Combo1->currentText(), QStringLiteral("9"));
    EXPECT_EQ(form.Combo2->currentText(), QStringLiteral("Arial"));
    for (QCheckBox* box : {form.Check1, form.Check2, form.Check3, form.Check4})
        EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(form.Option1->isChecked());
    EXPECT_FALSE(form.Option2->isChecked() || form.Option3->isChecked());
    EXPECT_EQ(form.PushButton13->foreColor(), 0x808080u);
    EXPECT_EQ(form.PushButton13->palette().color(QPalette::ButtonText), QColor(0x80, 0x80, 0x80));
    EXPECT_TRUE(form.Timer1.isActive());
    EXPECT_EQ(form.Timer1.interval(), 10);
    EXPECT_FALSE(form.MouseIcon.has_value());
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(Qt::white)) << "no skin";
}

TEST(StartUp, DesignedGeometryAndCaptions) {
    FormHarness harness;
    Form1& form = harness.load();
    EXPECT_EQ(form.size(), QSize(form.twips(14520), form.twips(10080)));
    EXPECT_EQ(form.PushButton2->text(), QStringLiteral("New (Ctrl+N)"));
    EXPECT_EQ(form.PushButton14->geometry(),
              QRect(form.twips(5400), form.twips(120), form.twips(1920), form.twips(405)));
    EXPECT_EQ(form.PushButton4->text(), QStringLiteral("Font Select Wizard"));
    EXPECT_EQ(form.PushButton7->font().pointSizeF(), 11.25);
    EXPECT_TRUE(form.PushButton7->font().bold());
    EXPECT_TRUE(form.Check2->font().italic());
    EXPECT_TRUE(form.Check3->font().underline());
    EXPECT_EQ(form.TabControl1->geometry(),
              QRect(form.twips(120), form.twips(1650), form.twips(14295), form.twips(8295)));
    EXPECT_EQ((*form.RichTextBox1)[0].widget()->geometry(),
              QRect(form.twips(120), form.twips(480), form.twips(14055), form.twips(7575)));
}

TEST(StartUp, ResizingTheWindowResizesTheTabStripAndSurfaces) {
    FormHarness harness;
    Form1& form = harness.load();
    form.show();
    const QSize before = (*form.RichTextBox1)[0].widget()->size();
    form.resize(form.width() + 200, form.height() + 100);
    QCoreApplication::processEvents();
    EXPECT_EQ((*form.RichTextBox1)[0].widget()->size(), before + QSize(200, 100));
    EXPECT_EQ(form.PushButton12->x(), form.twips(13080)) << "the toolbar stays as designed";
}

TEST(StartUp, FontNamesArriveSortedIgnoringCaseWithDuplicatesKept) {
    FormHarness harness({"Zapf", "arial", "Courier", "Arial"});
    Form1& form = harness.load();
    EXPECT_EQ(items(form.Combo2), (QStringList{"arial", "Arial", "Courier", "Zapf"}));
    EXPECT_EQ(form.Combo2->currentText(), QStringLiteral("Arial"));
}

TEST(StartUp, FailingFontListIsReportedOnceAndStartUpCompletes) {
    FormHarness harness({}, /*fontsFail=*/true);
    Form1& form = harness.load();
    ASSERT_EQ(harness.messages->shown.size(), 1u);
    const MessageRequest& report = harness.messages->shown[0];
    EXPECT_EQ(report.title, QStringLiteral("Application Error"));
    EXPECT_TRUE(report.text.startsWith(QStringLiteral(
        "No printers are installed\r\nin Ferrotab2017/04/05.Form1.Form_Load at line 158\r\r")));
    EXPECT_EQ(form.Combo2->count(), 0);
    EXPECT_EQ(form.TabControl1->caption(0), QStringLiteral("Untitled1.rtf"));
    EXPECT_FALSE(form.loadingFlag);
    EXPECT_TRUE(form.Timer1.isActive());
}

TEST(StartUp, SkinTurnsTheWindowAndBoxesButtonFaceAndAppliesTheStyleSheet) {
    FormHarness harness;
    writeFile(harness.folder.filePath(QStringLiteral("x/o.cjs")),
              "QPushButton { color: rgb(1, 2, 3); }");
    Form1& form = harness.load();
    EXPECT_TRUE(harness.messages->shown.empty());
    const QColor face = QGuiApplication::palette().color(QPalette::Button);
    EXPECT_EQ(form.backColor, kButtonFaceColor);
    EXPECT_EQ(form.palette().color(QPalette::Window), face);
    EXPECT_EQ(form.Check4->palette().color(QPalette::Window), face);
    EXPECT_EQ(form.Option3->palette().color(QPalette::Window), face);
    EXPECT_TRUE(form.styleSheet().contains(QStringLiteral("rgb(1, 2, 3)")));
}

TEST(StartUp, HandPointerIsLoadedWithItsHotspot) {
    FormHarness harness;
    writeFile(harness.folder.filePath(QStringLiteral("HAND-M.CUR")), cursorFile());
    Form1& form = harness.load();
    EXPECT_TRUE(harness.messages->shown.empty());
    ASSERT_TRUE(form.MouseIcon.has_value());
    EXPECT_EQ(form.MouseIcon->hotSpot(), QPoint(5, 3));
    EXPECT_EQ(form.MouseIcon->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor) << "start-up does not switch the pointer";
}

TEST(StartUp, TwoFailingStatementsGiveTwoReportsInOrder) {
    FormHarness harness;
    writeFile(harness.folder.filePath(QStringLiteral("x/o.cjs")),
              QByteArray("\xff\xfe\0garbage", 10));
    writeFile(harness.folder.filePath(QStringLiteral("HAND-M.CUR")), "not a cursor");
    Form1& form = harness.load();
    ASSERT_EQ(harness.messages->shown.size(), 2u);
    EXPECT_TRUE(
        harness.messages->shown[0].text.contains(QStringLiteral("Form_Load at line 100\r")));
    EXPECT_TRUE(harness.messages->shown[1].text.startsWith(
        QStringLiteral("Invalid picture\r\nin Ferrotab2017/04/05.Form1.Form_Load at line 106\r")));
    EXPECT_FALSE(form.MouseIcon.has_value());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Ferrotab")) << "start-up goes on";
    EXPECT_EQ(form.TabControl1->count(), 1);
}

} // namespace
