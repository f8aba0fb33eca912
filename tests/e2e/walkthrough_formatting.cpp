// Every formatting control of the toolbar, used on the installed program as a
// user would, and what the saved file then holds.
#include "walkthrough_support.h"

#include <QFileInfo>

using namespace walk;

namespace {

// One line of the document per control; the walk selects each line with the
// keyboard (the toolbar is not refreshed by keys) and applies its control,
// but for the first word, which it selects with the mouse.
const QStringList kLines = {
    QStringLiteral("Bold line"),       QStringLiteral("Italic line"),
    QStringLiteral("Underlined line"), QStringLiteral("Bulleted line"),
    QStringLiteral("Centred line"),    QStringLiteral("Right line"),
    QStringLiteral("Indented line"),   QStringLiteral("Red line"),
    QStringLiteral("Serif line"),      QStringLiteral("Big line"),
    QStringLiteral("Dialog line"),
};

void selectLine(Walk& walk, int line) {
    QStringList keys = {QStringLiteral("key"), QStringLiteral("ctrl+Home")};
    for (int i = 0; i < line; ++i)
        keys << QStringLiteral("Down");
    keys << QStringLiteral("Home") << QStringLiteral("shift+End");
    walk.session().xdotool(keys);
    walk.session().waitUntilIdle();
}

// Picks an item from a drop-down box by typing its beginning into the list.
void pick(Walk& walk, const Control& arrow, const QString& item) {
    walk.click(arrow);
    walk.type(item);
    walk.key(QStringLiteral("Return"));
}

// Sets a colour in Qt's colour dialog through its HTML field.
bool chooseColour(Walk& walk, const QString& html) {
    const QString dialog = walk.dialog(QStringLiteral("^Select Color$"));
    if (dialog.isEmpty())
        return false;
    walk.key(QStringLiteral("alt+h"));
    walk.type(html);
    walk.key(QStringLiteral("Return"));
    return walk.session().waitUntilGone(dialog);
}

TEST(FormattingWalk, EveryControlOnItsOwnLineSurvivesTheSave) {
    WALK_NEEDS_DISPLAY();
    Walk walk(QStringLiteral("formatting"));
    ASSERT_TRUE(walk.start());
    const QString path = walk.file(QStringLiteral("formatted.rtf"));

    walk.click(kNew);
    for (const QString& line : kLines) {
        if (&line != &kLines.first())
            walk.key(QStringLiteral("Return"));
        walk.type(line);
    }

    // A double click on the first word of the first line selects that word
    // alone: the rest of the line keeps its format.
    walk.session().xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                            walk.session().mainWindow(), QStringLiteral("34"),
                            QStringLiteral("154"), QStringLiteral("click"),
                            QStringLiteral("--repeat"), QStringLiteral("2"), QStringLiteral("1")});
    walk.session().waitUntilIdle();
    walk.click(kBold);
    selectLine(walk, 1);
    walk.click(kItalic);
    selectLine(walk, 2);
    walk.click(kUnderline);
    selectLine(walk, 3);
    walk.click(kBullet);
    selectLine(walk, 4);
    walk.click(kCenter);
    selectLine(walk, 5);
    walk.click(kRight);
    selectLine(walk, 6);
    walk.click(kCenter);
    walk.click(kLeft); // back to the left, where it started
    walk.click(kIndentLeft);
    walk.click(kIndentLeft);
    walk.click(kIndentRight);
    selectLine(walk, 7);
    walk.click(kTextColor);
    ASSERT_TRUE(chooseColour(walk, QStringLiteral("#ff0000")));
    walk.backToWindow();
    selectLine(walk, 8);
    pick(walk, kFontNameArrow, QStringLiteral("Liberation Serif"));
    selectLine(walk, 9);
    pick(walk, kFontSizeArrow, QStringLiteral("18"));
    selectLine(walk, 10);
    walk.click(kFontWizard);
    const QString fontDialog = walk.dialog(QStringLiteral("^Select Font$"));
    ASSERT_FALSE(fontDialog.isEmpty());
    walk.key(QStringLiteral("alt+f"));
    walk.type(QStringLiteral("Liberation Mono"));
    walk.key(QStringLiteral("alt+y"));
    walk.type(QStringLiteral("Bold Italic"));
    walk.key(QStringLiteral("alt+s"));
    walk.type(QStringLiteral("14"));
    walk.screenshot(QStringLiteral("font-dialog-filled"));
    walk.session().screenshot(fontDialog, QStringLiteral("formatting-font-dialog-filled"));
    walk.key(QStringLiteral("Return"));
    ASSERT_TRUE(walk.session().waitUntilGone(fontDialog));
    walk.backToWindow();

    // The back colour is the whole surface's, and RTF does not keep it: it
    // is checked on the screen.
    walk.click(kBackColor);
    ASSERT_TRUE(chooseColour(walk, QStringLiteral("#ffff00")));
    walk.backToWindow();
    EXPECT_TRUE(waitFor([&] {
        const QImage shown = walk.screenshot(QStringLiteral("all-formats"));
        return !shown.isNull() && QColor(shown.pixel(700, 500)) == QColor(Qt::yellow);
    })) << "the surface's background";

    walk.click(kSave);
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Save \\[Untitled2\\.rtf\\] As$"), path));
    ASSERT_TRUE(waitFor([&] { return QFileInfo(path).size() > 0; }));

    const QJsonArray doc = paragraphs(path);
    ASSERT_EQ(doc.size(), kLines.size()) << text(path).toStdString();
    for (int i = 0; i < kLines.size(); ++i) {
        QString line;
        for (const QJsonValue& r : doc[i].toObject().value(QStringLiteral("runs")).toArray())
            line += r.toObject().value(QStringLiteral("text")).toString();
        EXPECT_EQ(line, kLines[i]) << "line " << i;
    }
    auto paragraph = [&](int i, const char* key) {
        return doc[i].toObject().value(QLatin1String(key));
    };
    auto attribute = [&](int i, const char* key) {
        return run(doc, i, 0).value(QLatin1String(key));
    };
    EXPECT_EQ(attribute(0, "text").toString(), QStringLiteral("Bold"));
    EXPECT_FALSE(run(doc, 0, 1).value(QStringLiteral("bold")).toBool()) << "the word alone";
    EXPECT_EQ(run(doc, 0, 1).value(QStringLiteral("text")).toString(), QStringLiteral(" line"));
    // Plain Arial 9 is what New gives; each line differs from it only in its
    // own control's attribute.
    for (int i = 0; i < kLines.size(); ++i) {
        SCOPED_TRACE(kLines[i].toStdString());
        EXPECT_EQ(attribute(i, "bold").toBool(), i == 0 || i == 10);
        EXPECT_EQ(attribute(i, "italic").toBool(), i == 1 || i == 10);
        EXPECT_EQ(attribute(i, "underline").toBool(), i == 2);
        EXPECT_EQ(paragraph(i, "list").toString(),
                  i == 3 ? QStringLiteral("bullet") : QStringLiteral("none"));
        EXPECT_EQ(paragraph(i, "align").toString(), i == 4   ? QStringLiteral("center")
                                                    : i == 5 ? QStringLiteral("right")
                                                             : QStringLiteral("left"));
        if (i != 3) { // a bullet brings the list's own indent
            EXPECT_EQ(paragraph(i, "left").toInt(), i == 6 ? 500 : 0);
        }
        EXPECT_EQ(attribute(i, "color").toString(),
                  i == 7 ? QStringLiteral("#ff0000") : QStringLiteral("#000000"));
        EXPECT_EQ(attribute(i, "font").toString(), i == 8    ? QStringLiteral("Liberation Serif")
                                                   : i == 10 ? QStringLiteral("Liberation Mono")
                                                             : QStringLiteral("Arial"));
        EXPECT_EQ(attribute(i, "size").toDouble(), i == 9 ? 18 : i == 10 ? 14 : 9);
    }
}

} // namespace
