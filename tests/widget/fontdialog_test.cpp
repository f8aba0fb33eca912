// The font dialog: a mixed selection, Cancel, an unchanged OK, and Qt's side
// of it (the family fontconfig only substitutes, half sizes, no effects).
#include "app/fontchooser.h"
#include "app/qtdialogs.h"
#include "components/rtf/documentdump.h"
#include "tests/support/scripted.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QPushButton* okButton(QDialog& dialog) {
    return dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

QString selectedText(QDialog& dialog, const char* list) {
    const auto selected = dialog.findChild<QListWidget*>(QLatin1String(list))->selectedItems();
    return selected.isEmpty() ? QString() : selected.constFirst()->text();
}

// Replaces the size box's text key by key, as a user does after selecting it.
void typeSize(QDialog& dialog, const QString& text) {
    auto* size = dialog.findChild<QLineEdit*>(QStringLiteral("size"));
    size->selectAll();
    QTest::keyClick(size, Qt::Key_Delete);
    QTest::keyClicks(size, text);
}

class FontDialog : public ::testing::Test {
protected:
    void SetUp() override {
        harness.load();
        harness.showActive();
    }
    Form1& form() { return *harness.form; }
    RichTextSurface& current() { return form().currentSurface(); }
    void select(int start, int length) {
        current().setSelStart(start);
        current().setSelLength(length);
    }
    QString dump() { return rtf::dumpDocument(*current().document()); }
    // The document as saved: no "*" on its tab, its tag unchanged.
    void unmark() {
        const int position = form().TabControl1->selectedPosition();
        form().TabControl1->setCaption(position, form().TabControl1->caption(position).remove('*'));
        current().setTag(QStringLiteral("0|") + Form1::PathFromTag(current().tag()));
    }
    bool marked() {
        return form().TabControl1->caption(form().TabControl1->selectedPosition()).contains('*') ||
               current().tag().startsWith(QStringLiteral("1|"));
    }
    // "plain " in Arial 9, "other" in Courier New 14 bold.
    void twoRuns() {
        current().setText(QStringLiteral("plain other"));
        select(6, 5);
        current().setSelFontName(QStringLiteral("Courier New"));
        current().setSelFontSize(14);
        current().setSelBold(true);
    }
    std::vector<MessageRequest>& shown() { return harness.messages->shown; }
    FontChoice lastRequest() { return harness.dialogs->fontRequests.back().first; }

    FormHarness harness;
};

TEST_F(FontDialog, NeitherCancelNorAnUnchangedOkTouchesTheText) {
    twoRuns();
    // A first dialog on the bold run leaves its values in the component...
    select(6, 5);
    form().PushButton4->click();
    EXPECT_EQ(lastRequest(), (FontChoice{QStringLiteral("Courier New"), 14.0, true, false, false}));

    // ...which must not preset, nor come back from, a dialog on a selection
    // that mixes them.
    select(0, 11);
    unmark();
    const QString before = dump();
    form().PushButton4->click();
    EXPECT_TRUE(shown().empty()) << "no report for the values the selection mixes";
    EXPECT_EQ(lastRequest(), (FontChoice{std::nullopt, std::nullopt, std::nullopt, false, false}));
    EXPECT_EQ(harness.dialogs->fontRequests.back().second, 3);
    EXPECT_EQ(dump(), before);
    EXPECT_FALSE(marked());
    EXPECT_TRUE(form().Combo1->currentText().isEmpty());
    EXPECT_TRUE(form().Combo2->currentText().isEmpty());
    EXPECT_FALSE(form().Check1->isChecked());

    // Confirming exactly what the dialog was given is no change either.
    select(0, 5);
    current().setSelFontSize(10.5);
    current().setSelUnderline(true);
    unmark();
    const QString underlined = dump();
    harness.dialogs->fontAnswers.push_back(
        FontChoice{QStringLiteral("Arial"), 10.5, false, false, true});
    form().PushButton4->click();
    EXPECT_EQ(dump(), underlined);
    EXPECT_FALSE(marked());
    EXPECT_EQ(form().Combo1->currentText(), QStringLiteral("10.5"));
    EXPECT_TRUE(form().Check3->isChecked());
    EXPECT_TRUE(shown().empty());
}

TEST_F(FontDialog, OkAppliesOnlyWhatTheUserChangedToEveryRun) {
    twoRuns();
    select(0, 11);
    unmark();
    form().Combo2->setFocus();
    // The user ticks italic only: the mixed values come back without a value.
    harness.dialogs->fontAnswers.push_back(
        FontChoice{std::nullopt, std::nullopt, std::nullopt, true, false});
    form().PushButton4->click();

    EXPECT_TRUE(shown().empty());
    EXPECT_TRUE(marked());
    EXPECT_TRUE(current().widget()->hasFocus());
    EXPECT_EQ(current().selItalic(), std::optional<bool>(true));
    EXPECT_EQ(current().selFontSize(), std::nullopt) << "the sizes stay mixed";
    EXPECT_TRUE(form().Check2->isChecked());
    EXPECT_FALSE(form().Check1->isChecked()) << "bold is mixed: unchecked, as a refresh shows it";
    EXPECT_TRUE(form().Combo1->currentText().isEmpty());
    EXPECT_TRUE(form().Combo2->currentText().isEmpty());
    select(0, 5);
    EXPECT_EQ(current().selFontName(), std::optional<QString>(QStringLiteral("Arial")));
    EXPECT_EQ(current().selFontSize(), std::optional<double>(9));
    EXPECT_EQ(current().selBold(), std::optional<bool>(false));
    select(6, 5);
    EXPECT_EQ(current().selFontName(), std::optional<QString>(QStringLiteral("Courier New")));
    EXPECT_EQ(current().selFontSize(), std::optional<double>(14));
    EXPECT_EQ(current().selBold(), std::optional<bool>(true));

    // A bold chosen on the mixed selection covers all of it; the sizes and
    // fonts stay each run's own.
    select(0, 11);
    harness.dialogs->fontAnswers.push_back(
        FontChoice{std::nullopt, std::nullopt, true, true, false});
    form().PushButton4->click();
    EXPECT_EQ(current().selBold(), std::optional<bool>(true));
    EXPECT_TRUE(form().Check1->isChecked());
    EXPECT_EQ(current().selFontSize(), std::nullopt);
    EXPECT_EQ(current().selFontName(), std::nullopt);
    EXPECT_TRUE(shown().empty());
}

// Qt's own font dialog offered "Sans Serif" for Arial, whole points only and
// underline and strikeout boxes; these drive the dialog the program shows.
TEST(QtFontDialog, ShowsTheDocumentsFamilyAndHalfSizeAndGivesThemBackUnchanged) {
    const auto presenter = qtDialogPresenter();
    const FontChoice given{QStringLiteral("Arial"), 10.5, true, false, true};
    QString title, family, style, size;
    bool effects = true;
    onModal([&](QDialog& dialog) {
        title = dialog.windowTitle();
        family = selectedText(dialog, "family");
        style = selectedText(dialog, "style");
        size = dialog.findChild<QLineEdit*>(QStringLiteral("size"))->text();
        effects = !dialog.findChildren<QCheckBox*>().isEmpty();
        const auto* families = dialog.findChild<QListWidget*>(QStringLiteral("family"));
        for (int row = 0; row < families->count(); ++row) {
            EXPECT_FALSE(families->item(row)->text().endsWith(QLatin1Char(']')))
                << "a document names no foundry: " << families->item(row)->text().toStdString();
        }
        okButton(dialog)->click();
    });
    EXPECT_EQ(presenter->showFont(given, 3), given);
    EXPECT_EQ(title, QStringLiteral("Select Font"));
    EXPECT_EQ(family, QStringLiteral("Arial"));
    EXPECT_EQ(style, QStringLiteral("Bold"));
    EXPECT_EQ(size, QStringLiteral("10.5"));
    EXPECT_FALSE(effects) << "no underline or strikeout box";

    onModal([](QDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(presenter->showFont(given, 3), std::nullopt);
}

TEST(QtFontDialog, TheSizeBoxTakesHalvesAndRefusesWhatIsNoSize) {
    const auto presenter = qtDialogPresenter();
    const FontChoice given{QStringLiteral("Arial"), 12.0, false, false, false};
    const std::pair<const char*, double> halves[] = {{"10.5", 10.5}, {"7", 7}, {"11.4", 11.5}};
    for (const auto& [typed, points] : halves) {
        onModal([&](QDialog& dialog) {
            typeSize(dialog, QString::fromLatin1(typed));
            okButton(dialog)->click();
        });
        const auto chosen = presenter->showFont(given, 3);
        ASSERT_TRUE(chosen) << typed;
        EXPECT_EQ(chosen->size, points) << typed;
        EXPECT_EQ(chosen->name, given.name) << typed;
    }

    // Where the comma is the decimal point, it is read as one; elsewhere
    // "10,5" is no size at all, never 105.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    onModal([&](QDialog& dialog) {
        typeSize(dialog, QStringLiteral("10,5"));
        okButton(dialog)->click();
    });
    const auto german = presenter->showFont(given, 3);
    QLocale::setDefault(QLocale::c());
    bool enabled = true;
    for (const char* typed : {"10,5", "105x", "0", "5000", "nan"}) {
        onModal([&](QDialog& dialog) {
            typeSize(dialog, QString::fromLatin1(typed));
            enabled = okButton(dialog)->isEnabled();
            dialog.reject();
        });
        EXPECT_EQ(presenter->showFont(given, 3), std::nullopt) << typed;
        EXPECT_FALSE(enabled) << "OK waits for a size: " << typed;
    }
    QLocale::setDefault(saved);
    ASSERT_TRUE(german);
    EXPECT_EQ(german->size, std::optional<double>(10.5));
}

TEST(QtFontDialog, AMixedValueShowsNothingAndStaysMixedUntilChosen) {
    const auto presenter = qtDialogPresenter();
    const FontChoice mixed{std::nullopt, std::nullopt, std::nullopt, false, false};
    QString family = QStringLiteral("?"), style = QStringLiteral("?"), size = QStringLiteral("?");
    onModal([&](QDialog& dialog) {
        family = selectedText(dialog, "family");
        style = selectedText(dialog, "style");
        size = dialog.findChild<QLineEdit*>(QStringLiteral("size"))->text();
        // A list takes a current row when it gets the focus: that is no choice.
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        for (const char* list : {"family", "style", "sizes"}) {
            dialog.findChild<QListWidget*>(QLatin1String(list))->setFocus(Qt::TabFocusReason);
            QApplication::processEvents();
        }
        okButton(dialog)->click();
    });
    EXPECT_EQ(presenter->showFont(mixed, 3), mixed);
    EXPECT_TRUE(family.isEmpty());
    EXPECT_TRUE(style.isEmpty());
    EXPECT_TRUE(size.isEmpty());

    // A size picked from the list and a style: the family stays unchosen.
    onModal([&](QDialog& dialog) {
        auto* sizes = dialog.findChild<QListWidget*>(QStringLiteral("sizes"));
        sizes->setCurrentItem(sizes->findItems(QStringLiteral("14"), Qt::MatchExactly).value(0));
        dialog.findChild<QListWidget*>(QStringLiteral("style"))->setCurrentRow(3);
        okButton(dialog)->click();
    });
    EXPECT_EQ(presenter->showFont(mixed, 3), (FontChoice{std::nullopt, 14.0, true, true, false}));
}

// The keys users of Qt's dialog (and our walk-through) know: Alt+F, Alt+Y and
// Alt+S reach the lists and the size box, typing picks an entry, Return is OK.
TEST(QtFontDialog, TheKeyboardReachesEveryPartAndReturnConfirms) {
    const auto presenter = qtDialogPresenter();
    onModal([](QDialog& dialog) {
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        const auto keys = [&dialog](Qt::Key access, const QString& text) {
            QTest::keyClick(&dialog, access, Qt::AltModifier);
            ASSERT_NE(QApplication::focusWidget(), nullptr);
            QTest::keyClicks(QApplication::focusWidget(), text);
        };
        keys(Qt::Key_F, QStringLiteral("Liberation Mono"));
        keys(Qt::Key_Y, QStringLiteral("Bold Italic"));
        keys(Qt::Key_S, QStringLiteral("14"));
        if (QApplication::focusWidget())
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(presenter->showFont(FontChoice{QStringLiteral("Arial"), 9.0, false, false, true}, 3),
              (FontChoice{QStringLiteral("Liberation Mono"), 14.0, true, true, true}));
}

// The whole way, as the user met it: OK on Qt's dialog without a change
// renamed Arial and rounded 10.5.
TEST_F(FontDialog, OkOnTheRealDialogWithoutAChangeLeavesTheTextAlone) {
    const auto presenter = qtDialogPresenter();
    harness.dialogs->realColorAndFont = presenter.get();
    current().setText(QStringLiteral("half size"));
    select(0, 9);
    current().setSelFontSize(10.5);
    current().setSelUnderline(true);
    unmark();
    const QString before = dump();
    onModal([](QDialog& dialog) { okButton(dialog)->click(); });
    form().PushButton4->click();
    EXPECT_EQ(dump(), before);
    EXPECT_FALSE(marked());
    EXPECT_EQ(current().selFontName(), std::optional<QString>(QStringLiteral("Arial")));
    EXPECT_EQ(current().selFontSize(), std::optional<double>(10.5));
    EXPECT_EQ(form().Combo1->currentText(), QStringLiteral("10.5"));
    EXPECT_EQ(form().Combo2->currentText(), QStringLiteral("Arial"));
    EXPECT_TRUE(shown().empty());
}

} // namespace
