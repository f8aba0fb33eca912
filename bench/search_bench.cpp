// Find and a full Find Next walk through the handlers over a large document
// with many matches, as the user runs them: boxes answered at once.
#include "app/form1.h"
#include "benchsupport.h"
#include "tests/support/scripted.h"

#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>

namespace {

// About `megabytes` million characters in paragraphs of changing format, the
// word "Needle" once in each of `matches` paragraphs.
void fill(QTextDocument& document, int megabytes, int matches) {
    const qsizetype target = qsizetype(megabytes) * 1000 * 1000;
    const qsizetype perParagraph = target / matches;
    QTextCharFormat plain, bold, italic, big;
    bold.setFontWeight(QFont::Bold);
    italic.setFontItalic(true);
    big.setFontPointSize(14);
    const QTextCharFormat* formats[] = {&plain, &bold, &italic, &big};
    const QString words = QStringLiteral("plain words, tabs\tand more words in a run ");
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (int paragraph = 0; paragraph < matches; ++paragraph) {
        qsizetype written = 0;
        for (int run = 0; written < perParagraph - 8; ++run) {
            cursor.insertText(words, *formats[run % 4]);
            written += words.size();
            if (run == 3) {
                cursor.insertText(QStringLiteral("nEEdle "), bold);
                written += 7;
            }
        }
        cursor.insertBlock();
    }
    cursor.endEditBlock();
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const int matches = argc > 2 ? std::max(1, atoi(argv[2])) : 10000;

    FormHarness harness;
    Form1& form = harness.load();
    RichTextSurface& surface = form.currentSurface();
    surface.document()->setUndoRedoEnabled(false);
    fill(*surface.document(), megabytes, matches);
    surface.document()->setUndoRedoEnabled(true);

    auto find = [&] {
        harness.messages->inputAnswers.push_back(QStringLiteral("needle"));
        const auto start = std::chrono::steady_clock::now();
        form.PushButton3_Click();
        return millisecondsSince(start);
    };
    auto findLast = [&] {
        harness.messages->inputAnswers.push_back(QStringLiteral("the END"));
        const auto start = std::chrono::steady_clock::now();
        form.PushButton3_Click();
        return millisecondsSince(start);
    };
    QTextCursor end(surface.document());
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("The end"));
    const double firstFind = findLast(); // takes the searched copy
    const double secondFind = findLast();
    QTextCursor(surface.document()).insertText(QStringLiteral("typed "));
    const double findAfterEdit = findLast(); // the copy follows the edit
    find();

    // Find Next to the end; the restart question is answered No.
    harness.messages->answers.push_back(MsgResult::No);
    int found = 1;
    double halfWay = 0;
    const auto start = std::chrono::steady_clock::now();
    while (form.PushButton13->foreColor() == 0) {
        form.PushButton13_Click();
        if (++found == matches / 2)
            halfWay = millisecondsSince(start);
    }
    const double walk = millisecondsSince(start);

    std::printf("document:        %lld characters of Text, %d matches\n",
                static_cast<long long>(surface.text().size()), matches);
    std::printf("Find (first):    %.1f ms, taking the searched copy\n", firstFind);
    std::printf("Find (again):    %.1f ms, the match at the very end\n", secondFind);
    std::printf("Find after edit: %.1f ms\n", findAfterEdit);
    std::printf("Find Next walk:  %.0f ms for %d steps (%.1f us each); half-way %.0f ms\n", walk,
                found - 1, walk * 1000 / qMax(1, found - 1), halfWay);
    std::printf("reports shown:   %zu\n", harness.messages->shown.size());
    return 0;
}
