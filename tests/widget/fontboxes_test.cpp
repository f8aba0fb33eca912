#include "tests/support/scripted.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

// Typing into the font size and name boxes key by key, as a user does.

namespace {

class FontBoxes : public ::testing::Test {
protected:
    void SetUp() override {
        harness.load();
        harness.showActive();
        surface().setText(QStringLiteral("Hello world"));
        selectAll();
    }
    Form1& form() { return *harness.form; }
    RichTextSurface& surface() { return form().currentSurface(); }
    void selectAll() {
        surface().setSelStart(0);
        surface().setSelLength(11);
    }
    // Clicks into a box and selects its text, as a user about to replace it.
    void enter(QComboBox* box) {
        QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
        box->lineEdit()->selectAll();
        ASSERT_TRUE(box->lineEdit()->hasFocus());
    }
    void typeKeys(QComboBox* box, const QString& keys) {
        for (const QChar key : keys)
            QTest::keyClick(box->lineEdit(), key.toLatin1());
    }

    FormHarness harness;
};

TEST_F(FontBoxes, TypingASizeAppliesItKeyByKeyAndLeavesTheTextAlone) {
    enter(form().Combo1);
    QTest::keyClick(form().Combo1->lineEdit(), Qt::Key_1);
    // Applied while typed (the box's completion may show 10 for "1").
    EXPECT_NE(surface().selFontSize(), std::optional<double>(9));
    EXPECT_TRUE(form().Combo1->lineEdit()->hasFocus()) << "the next key still goes into the box";
    QTest::keyClick(form().Combo1->lineEdit(), Qt::Key_4);
    EXPECT_EQ(form().Combo1->currentText(), QStringLiteral("14"));
    EXPECT_EQ(surface().text(), QStringLiteral("Hello world"));
    selectAll();
    EXPECT_EQ(surface().selFontSize(), std::optional<double>(14));
    // Return ends the typing: the keyboard is back in the document.
    QTest::keyClick(form().Combo1->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(surface().widget()->hasFocus());
    EXPECT_EQ(surface().text(), QStringLiteral("Hello world"));
}

TEST_F(FontBoxes, TypingANameKeepsTheFocusUntilTabAndPickingAnEntryReturnsAtOnce) {
    enter(form().Combo2);
    typeKeys(form().Combo2, QStringLiteral("Lib"));
    EXPECT_EQ(form().Combo2->currentText(), QStringLiteral("Lib"));
    EXPECT_EQ(surface().text(), QStringLiteral("Hello world"));
    EXPECT_EQ(surface().selFontName(), std::optional<QString>(QStringLiteral("Lib")));
    EXPECT_TRUE(form().Combo2->lineEdit()->hasFocus());
    QTest::keyClick(form().Combo2->lineEdit(), Qt::Key_Tab);
    EXPECT_TRUE(surface().widget()->hasFocus());

    // A size picked from the list applies and sends the keyboard back.
    enter(form().Combo1);
    const int item = form().Combo1->findText(QStringLiteral("12"));
    ASSERT_GE(item, 0);
    form().Combo1->setCurrentIndex(item);
    emit form().Combo1->activated(item);
    EXPECT_TRUE(surface().widget()->hasFocus());
    EXPECT_EQ(surface().selFontSize(), std::optional<double>(12));
    // A size set by the program (not typed) still moves the focus, as before.
    form().Combo2->lineEdit()->setFocus();
    form().Combo1->setEditText(QStringLiteral("20"));
    EXPECT_TRUE(surface().widget()->hasFocus());
    EXPECT_EQ(surface().text(), QStringLiteral("Hello world"));
}

} // namespace
