#include "components/rtf/documentfile.h"
#include "tests/support/scripted.h"

#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

// A document's links, one per paragraph: only web and mail links may leave
// the editor; a local file, a launcher or another scheme is shown, not opened.
const QByteArray links =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
    "\\pard{\\field{\\*\\fldinst HYPERLINK \"https://example.com/a\"}{\\fldrslt web page}}\\par"
    "\\pard{\\field{\\*\\fldinst HYPERLINK \"mailto:ann@example.com\"}{\\fldrslt mail}}\\par"
    "\\pard{\\field{\\*\\fldinst HYPERLINK \"file:///usr/bin/xterm\"}{\\fldrslt local file}}\\par"
    "\\pard{\\field{\\*\\fldinst HYPERLINK \"/usr/share/applications/x.desktop\"}"
    "{\\fldrslt launcher}}\\par"
    "\\pard{\\field{\\*\\fldinst HYPERLINK \"smb://host/share\"}{\\fldrslt share}}\\par}";

class Links : public ::testing::Test {
protected:
    void SetUp() override {
        harness.load();
        harness.showActive();
        rtf::loadBytes(*form().currentSurface().document(), links);
    }
    Form1& form() { return *harness.form; }

    // Clicks the middle of the link that starts the paragraph.
    void clickParagraph(int paragraph, Qt::KeyboardModifiers modifiers) {
        QTextEdit* edit = form().currentSurface().widget();
        QTextCursor cursor(edit->document()->findBlockByNumber(paragraph));
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::MoveAnchor, 2);
        const QPoint point = edit->cursorRect(cursor).center();
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, modifiers, point);
    }

    FormHarness harness;
};

TEST_F(Links, CtrlClickOpensOnlyWebAndMailLinks) {
    for (int paragraph = 0; paragraph < 5; ++paragraph)
        clickParagraph(paragraph, Qt::ControlModifier);
    EXPECT_EQ(harness.openedUrls, (QList<QUrl>{QUrl(QStringLiteral("https://example.com/a")),
                                               QUrl(QStringLiteral("mailto:ann@example.com"))}));
}

TEST_F(Links, APlainClickOnALinkOnlyPlacesTheCaret) {
    clickParagraph(0, Qt::NoModifier);
    EXPECT_TRUE(harness.openedUrls.isEmpty());
    EXPECT_EQ(form().currentSurface().selLength(), 0);
}

} // namespace
