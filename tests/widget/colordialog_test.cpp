// Text Color and Back Color: the dialog opens on the colour it would replace,
// and Cancel changes nothing (it used to apply the component's colour, black
// before any choice, so Cancel on Back Color blacked out the page).
#include "app/qtdialogs.h"
#include "components/rtf/documentdump.h"
#include "tests/support/scripted.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr OleColor kRed = oleRgb(255, 0, 0);
constexpr OleColor kBlue = oleRgb(0, 0, 255);
constexpr OleColor kYellow = oleRgb(255, 255, 0);
constexpr OleColor kWhite = oleRgb(255, 255, 255);

class ColorDialog : public ::testing::Test {
protected:
    void SetUp() override {
        harness.load();
        harness.showActive();
        // "red word": the first word red, the rest without a colour of its own.
        current().setText(QStringLiteral("red word"));
        select(0, 3);
        current().setSelColor(kRed);
        unmark();
    }
    Form1& form() { return *harness.form; }
    RichTextSurface& current() { return form().currentSurface(); }
    void select(int start, int length) {
        current().setSelStart(start);
        current().setSelLength(length);
    }
    QString dump() { return rtf::dumpDocument(*current().document()); }
    void unmark() {
        const int position = form().TabControl1->selectedPosition();
        form().TabControl1->setCaption(position, form().TabControl1->caption(position).remove('*'));
        current().setTag(QStringLiteral("0|") + Form1::PathFromTag(current().tag()));
    }
    bool marked() {
        return form().TabControl1->caption(form().TabControl1->selectedPosition()).contains('*') ||
               current().tag().startsWith(QStringLiteral("1|"));
    }
    OleColor lastRequest() { return harness.dialogs->colorRequests.back().first; }

    FormHarness harness;
};

TEST_F(ColorDialog, EachDialogOpensOnTheCurrentColourAndCancelChangesNothing) {
    const QString before = dump();
    form().Combo2->setFocus();
    select(0, 3);
    form().PushButton9->click();
    EXPECT_EQ(lastRequest(), kRed);
    EXPECT_TRUE(current().widget()->hasFocus());
    select(4, 4);
    form().PushButton9->click();
    EXPECT_EQ(lastRequest(), 0u) << "text without a colour of its own shows black";
    form().PushButton10->click();
    EXPECT_EQ(lastRequest(), kWhite);
    EXPECT_EQ(current().backColor(), kWhite) << "Cancel used to turn the page black";
    // A selection of two colours has none of its own: the last colour it is.
    select(0, 8);
    form().PushButton9->click();
    EXPECT_EQ(lastRequest(), kWhite);
    EXPECT_EQ(dump(), before);
    EXPECT_FALSE(marked());
    EXPECT_TRUE(harness.messages->shown.empty());

    // A choice still applies; confirming the colour the target already has
    // puts nothing.
    harness.dialogs->colorAnswers.push_back(kBlue);
    form().PushButton9->click();
    EXPECT_EQ(current().selColor(), std::optional<OleColor>(kBlue));
    EXPECT_TRUE(marked());
    unmark();
    harness.dialogs->colorAnswers.push_back(kBlue);
    form().PushButton9->click();
    EXPECT_FALSE(marked());
}

// Qt's dialog itself: it must open on the colour given, whatever option flags
// the component holds (0 before the font dialog has run, 3 after).
TEST_F(ColorDialog, QtsDialogShowsTheCurrentColourAndItsOkKeepsIt) {
    const auto presenter = qtDialogPresenter();
    harness.dialogs->realColorAndFont = presenter.get();
    const QString before = dump();
    QColor shown;
    const auto readAnd = [&shown](bool confirm) {
        onModal([&shown, confirm](QDialog& dialog) {
            if (auto* colors = qobject_cast<QColorDialog*>(&dialog))
                shown = colors->currentColor();
            confirm ? dialog.accept() : dialog.reject();
        });
    };

    select(0, 3);
    readAnd(false);
    form().PushButton9->click();
    EXPECT_EQ(shown, QColor(Qt::red));
    EXPECT_EQ(harness.dialogs->colorRequests.back().second, 0);

    current().setBackColor(kYellow);
    readAnd(true);
    form().PushButton10->click();
    EXPECT_EQ(shown, QColor(Qt::yellow));
    EXPECT_EQ(current().backColor(), kYellow);
    readAnd(false);
    form().PushButton10->click();
    EXPECT_EQ(current().backColor(), kYellow);

    form().CommonDialog1.Flags = 3;
    select(4, 4);
    readAnd(true);
    form().PushButton9->click();
    EXPECT_EQ(shown, QColor(Qt::black));
    select(0, 3);
    readAnd(true);
    form().PushButton9->click();
    EXPECT_EQ(shown, QColor(Qt::red));
    EXPECT_EQ(current().selColor(), std::optional<OleColor>(kRed));
    EXPECT_TRUE(harness.messages->shown.empty());
    // OK on the colour shown is no change either.
    EXPECT_EQ(dump(), before);
    EXPECT_FALSE(marked());
}

} // namespace
