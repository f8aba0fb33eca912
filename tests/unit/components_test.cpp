#include "app/form1.h"
#include "components/commondialog.h"
#include "components/runtimeerror.h"
#include "components/sortedlist.h"
#include "components/surfacearray.h"
#include "components/tabstrip.h"
#include "tests/support/scripted.h"

#include <QSignalSpy>
#include <QTabBar>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

TEST(TabStrip, InsertsAppendsAndKeepsOneValuePerItem) {
    TabStrip strip;
    QSignalSpy selections(&strip, &TabStrip::selectionChanged);
    EXPECT_EQ(strip.selectedPosition(), -1);
    strip.insertItem(0, QStringLiteral("Untitled1.rtf"));
    EXPECT_EQ(strip.selectedPosition(), 0) << "the first item becomes the selected one";
    EXPECT_EQ(selections.count(), 1);
    EXPECT_EQ(strip.insertItem(99, QStringLiteral("b")), 1) << "beyond the count appends";
    strip.insertItem(2, QStringLiteral("c"));
    EXPECT_EQ(strip.count(), 3);
    EXPECT_EQ(strip.value(1), 0) << "never written reads 0";
    strip.setValue(1, -32768);
    strip.setValue(2, 32767);
    EXPECT_EQ(strip.value(1), -32768);
    EXPECT_EQ(strip.value(2), 32767);

    strip.select(2);
    EXPECT_EQ(strip.selectedPosition(), 2);
    EXPECT_EQ(selections.last().at(0).toInt(), 2);
    strip.removeItem(1);
    EXPECT_EQ(strip.caption(1), QStringLiteral("c"));
    EXPECT_EQ(strip.value(1), 32767) << "values move with their items";

    EXPECT_THROW(strip.caption(5), RuntimeError);
    EXPECT_THROW(strip.removeItem(-1), RuntimeError);
    selections.clear();
    strip.removeAll();
    EXPECT_EQ(strip.count(), 0);
    EXPECT_EQ(strip.selectedPosition(), -1);
    EXPECT_EQ(selections.count(), 0);
}

TEST(TabStrip, ShowsCaptionsUnchanged) {
    TabStrip strip;
    const QString longCaption = QStringLiteral("a very long file name &amp; more of it.rtf*");
    strip.insertItem(0, longCaption);
    strip.setCaption(0, longCaption);
    EXPECT_EQ(strip.caption(0), longCaption);
}

TEST(TabStrip, TabsGrowWithTheirCaptionsAndTheSelectedOneIsPaintedAmongMany) {
    TabStrip strip;
    strip.resize(400, 40);
    for (int i = 0; i < 300; ++i)
        strip.insertItem(i, QStringLiteral("Untitled%1.rtf").arg(i + 1));
    auto* bar = strip.findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    const int before = bar->tabRect(299).width();
    strip.setCaption(299, QStringLiteral("Untitled300.rtf with a much longer name*"));
    EXPECT_GT(bar->tabRect(299).width(), before + 40) << "a new caption is measured anew";

    // The last tab, scrolled into view, is drawn: its caption leaves dark pixels.
    strip.select(299);
    const QImage shot = bar->grab().toImage();
    const QRect place = bar->tabRect(299).intersected(bar->rect());
    ASSERT_FALSE(place.isEmpty());
    int dark = 0;
    for (int y = place.top(); y <= place.bottom(); ++y)
        for (int x = place.left(); x <= place.right(); ++x)
            dark += qGray(shot.pixel(x, y)) < 100;
    EXPECT_GT(dark, 20);
}

TEST(DialogComponent, FilterStringBecomesFiltersAndCancelKeepsProperties) {
    ScriptedDialogs presenter;
    CommonDialog dialog(presenter);
    dialog.Filter = QStringLiteral("Rich Text Format (*.rtf)|*.rtf|Text Files (*.txt)|*.txt");
    dialog.FilterIndex = 2;
    dialog.DialogTitle = QStringLiteral("Save As");
    dialog.FileName = QString();
    dialog.ShowSave();
    ASSERT_EQ(presenter.saveRequests.size(), 1u);
    const FileDialogRequest& request = presenter.saveRequests[0];
    EXPECT_EQ(request.title, QStringLiteral("Save As"));
    ASSERT_EQ(request.filters.size(), 2);
    EXPECT_EQ(request.filters[1].label, QStringLiteral("Text Files (*.txt)"));
    EXPECT_EQ(request.filters[1].pattern, QStringLiteral("*.txt"));
    EXPECT_EQ(request.selectedFilter, 1);
    EXPECT_EQ(dialog.FileName, QString()) << "cancel leaves the name empty";
    EXPECT_EQ(dialog.FilterIndex, 2);

    presenter.openAnswers.push_back(FileDialogResult{QStringLiteral("/tmp/x.rtf"), 0});
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, QStringLiteral("/tmp/x.rtf"));
    EXPECT_EQ(dialog.FilterIndex, 1);
    EXPECT_EQ(dialog.DialogTitle, QStringLiteral("Save As")) << "properties persist";

    dialog.Color = 0x123456;
    EXPECT_FALSE(dialog.ShowColor()) << "cancelled";
    EXPECT_EQ(dialog.Color, 0x123456u);
    presenter.colorAnswers.push_back(OleColor(0xFF));
    EXPECT_TRUE(dialog.ShowColor());
    EXPECT_EQ(dialog.Color, 0xFFu);

    // A font value without a value reaches the dialog as none, and the
    // dialog's answer, with or without values, is what the component keeps.
    dialog.FontName = QStringLiteral("Arial");
    dialog.FontSize = 9;
    dialog.FontBold.reset();
    EXPECT_FALSE(dialog.ShowFont());
    EXPECT_EQ(presenter.fontRequests.back().first,
              (FontChoice{QStringLiteral("Arial"), 9.0, std::nullopt, std::nullopt, std::nullopt}));
    EXPECT_EQ(dialog.FontName, QStringLiteral("Arial"));
    EXPECT_EQ(dialog.FontSize, 9.0);
    presenter.fontAnswers.push_back(
        FontChoice{QStringLiteral("Courier New"), 10.5, true, std::nullopt, true});
    EXPECT_TRUE(dialog.ShowFont());
    EXPECT_EQ(dialog.FontName, QStringLiteral("Courier New"));
    EXPECT_EQ(dialog.FontSize, 10.5);
    EXPECT_EQ(dialog.FontBold, true);
    EXPECT_EQ(dialog.FontItalic, std::nullopt);
    EXPECT_EQ(dialog.FontUnderline, true);
}

TEST(DialogComponent, OddFilterStrings) {
    EXPECT_TRUE(CommonDialog::parseFilter(QString()).isEmpty());
    const auto filters = CommonDialog::parseFilter(QStringLiteral("All Files|"));
    ASSERT_EQ(filters.size(), 1);
    EXPECT_EQ(filters[0].pattern, QStringLiteral("*"));
}

TEST(SurfaceArray, NewElementsTakeTheDesignAndStartHidden) {
    QWidget page;
    SurfaceArray surfaces(&page);
    surfaces.setGeometry(QRect(8, 32, 300, 200));
    EXPECT_EQ(surfaces.count(), 1);
    RichTextSurface& second = surfaces.load(1);
    EXPECT_FALSE(second.isVisible());
    EXPECT_EQ(second.widget()->geometry(), QRect(8, 32, 300, 200));
    EXPECT_EQ(second.font(), surfaces[0].font());
    EXPECT_THROW(surfaces.load(1), RuntimeError);
    EXPECT_THROW(surfaces.load(5), RuntimeError);
    EXPECT_THROW(surfaces[2], RuntimeError);

    QSignalSpy changes(&surfaces, &SurfaceArray::Change);
    second.setText(QStringLiteral("x"));
    ASSERT_GE(changes.count(), 1);
    EXPECT_EQ(changes.last().at(0).value<qint16>(), 1);

    surfaces.unloadAllButFirst();
    EXPECT_EQ(surfaces.count(), 1);
    EXPECT_EQ(surfaces.at(1), nullptr);
}

TEST(Helpers, FileNameFromPath) {
    EXPECT_EQ(Form1::FileNameFromPath(QStringLiteral("/docs/report.rtf")),
              QStringLiteral("report.rtf"));
    EXPECT_EQ(Form1::FileNameFromPath(QStringLiteral("report.rtf")), QStringLiteral("report.rtf"));
    EXPECT_EQ(Form1::FileNameFromPath(QStringLiteral("/docs/")), QString());
    EXPECT_EQ(Form1::FileNameFromPath(QStringLiteral("/a\\b.rtf")), QStringLiteral("a\\b.rtf"));
}

TEST(Helpers, ApplicationTitleDropsTheLastWordsDownToFortyCharacters) {
    EXPECT_EQ(Form1::ApplicationTitleFrom(QStringLiteral("Ferrotab")), QStringLiteral("Ferrotab"));
    EXPECT_EQ(Form1::ApplicationTitleFrom(QStringLiteral("Ferrotab Editor")),
              QStringLiteral("Ferrotab"));
    const QString longName =
        QStringLiteral("Ferrotab Rich Text Editor for Many Documents in Tabs on Linux");
    const QString title = Form1::ApplicationTitleFrom(longName);
    EXPECT_LE(title.size(), 40);
    EXPECT_TRUE(longName.startsWith(title + QLatin1Char(' ')));
    EXPECT_GT(title.size() + 5, 40 - 10) << "only whole words are removed";
}

TEST(Helpers, FileExistsReadsTheModificationTime) {
    QTemporaryDir dir;
    EXPECT_TRUE(Form1::FileExists(dir.path()));
    EXPECT_FALSE(Form1::FileExists(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(Form1::FileExists(QString()));
}

TEST(SortedList, IgnoresCaseAndKeepsDuplicatesInArrivalOrder) {
    SortedList list;
    for (const char* name : {"Zapf", "arial", "Courier", "Arial", "arial"})
        list.addItem(QString::fromLatin1(name));
    QStringList items;
    for (int i = 0; i < list.listCount(); ++i)
        items << list.list(i);
    EXPECT_EQ(items, (QStringList{"arial", "Arial", "arial", "Courier", "Zapf"}));
}

} // namespace
