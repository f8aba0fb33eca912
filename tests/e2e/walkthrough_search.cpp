// Find and Find Next on the installed program: the input box, every message
// they show, and which occurrence each one selected, marked with a format
// and read back from the saved file.
#include "walkthrough_support.h"

#include <QFileInfo>
#include <QThread>

using namespace walk;

namespace {

// Find's input box and the messages have no title of their own: they show
// the application title, which is the main window's caption too.
const QString kAppTitle = QStringLiteral("^Ferrotab$");

void find(Walk& walk, const QString& what) {
    walk.click(kFind);
    const QString box = walk.dialog(kAppTitle);
    ASSERT_FALSE(box.isEmpty()) << "Find asks for the string";
    walk.type(what);
    walk.key(QStringLiteral("Return"));
    ASSERT_TRUE(walk.session().waitUntilGone(box));
}

// Waits for a message, checks it is the one a user should see and answers it.
void expectMessage(Walk& walk, const QString& title, const QString& text, Buttons buttons,
                   Icon icon, const QString& answer, const QString& shot) {
    const QString box = walk.dialog(QLatin1Char('^') + title +
                                    QLatin1Char('$')); // titles without pattern characters
    ASSERT_FALSE(box.isEmpty()) << "no box for: " << text.toStdString();
    EXPECT_TRUE(showsMessage(walk.session(), box, title, text, buttons, icon,
                             QStringLiteral("search-") + shot));
    if (buttons == Buttons::YesNo) {
        ASSERT_TRUE(walk.answerQuestion(box, answer));
    } else {
        ASSERT_TRUE(walk.close(box, answer));
    }
    walk.backToWindow();
}

TEST(SearchWalk, FindAndFindNextSelectEachMatchAndSayWhenThereIsNone) {
    WALK_NEEDS_DISPLAY();
    Walk walk(QStringLiteral("search"));
    ASSERT_TRUE(walk.start());
    const QString path = walk.file(QStringLiteral("found.rtf"));
    walk.clickIntoText();
    walk.type(QStringLiteral("apple pear APPLE pear apple"));

    walk.click(kFindNext);
    expectMessage(walk, QStringLiteral("Ferrotab"), QStringLiteral("Please use 'Find' instead."),
                  Buttons::Ok, Icon::None, QStringLiteral("Return"), QStringLiteral("use-find"));
    find(walk, QStringLiteral("kiwi"));
    {
        // The comparison tells a box apart by one letter of its text.
        const QString box = walk.dialog(kAppTitle);
        EXPECT_FALSE(showsMessage(walk.session(), box, QStringLiteral("Ferrotab"),
                                  QStringLiteral("No match is found for the string 'kiwis'"),
                                  Buttons::Ok, Icon::None, QStringLiteral("search-not-this-text")));
    }
    expectMessage(walk, QStringLiteral("Ferrotab"),
                  QStringLiteral("No match is found for the string 'kiwi'"), Buttons::Ok,
                  Icon::None, QStringLiteral("Return"), QStringLiteral("no-match"));

    // Each match, once selected, gets a format of its own.
    find(walk, QStringLiteral("apple"));
    walk.click(kUnderline);
    walk.click(kFindNext);
    walk.click(kBold); // APPLE: case is ignored
    walk.click(kFindNext);
    walk.click(kItalic);
    walk.click(kFindNext);
    expectMessage(walk, QStringLiteral("Restart Search"),
                  QStringLiteral("No more match found for the string 'apple'\r\n"
                                 "Do you want to start search from the beginning?"),
                  Buttons::YesNo, Icon::Question, QStringLiteral("Return"),
                  QStringLiteral("restart-yes"));
    // Yes selected the first one again: typing replaces it.
    walk.type(QStringLiteral("grape"));
    walk.click(kFindNext); // on from the first match: APPLE, then the last apple
    walk.click(kFindNext);
    walk.click(kFindNext);
    expectMessage(walk, QStringLiteral("Restart Search"),
                  QStringLiteral("No more match found for the string 'apple'\r\n"
                                 "Do you want to start search from the beginning?"),
                  Buttons::YesNo, Icon::Question, QStringLiteral("n"),
                  QStringLiteral("restart-no"));
    walk.click(kFindNext); // No ended the search
    expectMessage(walk, QStringLiteral("Ferrotab"), QStringLiteral("Please use 'Find' instead."),
                  Buttons::Ok, Icon::None, QStringLiteral("Return"),
                  QStringLiteral("use-find-again"));
    walk.screenshot(QStringLiteral("marked"));

    walk.click(kSave);
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Save \\[Untitled1\\.rtf\\] As$"), path));
    ASSERT_TRUE(waitFor([&] { return QFileInfo(path).size() > 0; }));
    EXPECT_EQ(text(path), QStringLiteral("grape pear APPLE pear apple"));
    const QJsonArray doc = paragraphs(path);
    const QJsonArray runs = doc.at(0).toObject().value(QStringLiteral("runs")).toArray();
    QStringList marked;
    for (const QJsonValue& value : runs) {
        const QJsonObject r = value.toObject();
        QString marks;
        if (r.value(QStringLiteral("underline")).toBool())
            marks += QLatin1Char('u');
        if (r.value(QStringLiteral("bold")).toBool())
            marks += QLatin1Char('b');
        if (r.value(QStringLiteral("italic")).toBool())
            marks += QLatin1Char('i');
        marked << r.value(QStringLiteral("text")).toString() + QLatin1Char(':') + marks;
    }
    EXPECT_EQ(marked, (QStringList{QStringLiteral("grape:u"), QStringLiteral(" pear :"),
                                   QStringLiteral("APPLE:b"), QStringLiteral(" pear :"),
                                   QStringLiteral("apple:i")}));
}

} // namespace
