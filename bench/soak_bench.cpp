// The soak test's long working session, timed: two thousand documents
// created, typed into and closed, and the set emptied by Close All fifty
// times, in one process, as the user runs them with the boxes answered at
// once. Whatever a command leaves behind makes the later cycles slower than
// the first: the figures compare the first rounds with all of them.
#include "app/form1.h"
#include "benchsupport.h"
#include "tests/support/scripted.h"

#include <QApplication>
#include <QTest>
#include <QTextEdit>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 50;
constexpr int kCyclesPerRound = 40; // 50 rounds of 40: 2,000 cycles

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double medianOf(const std::vector<double>& samples, size_t from, size_t count) {
    return median(std::vector<double>(samples.begin() + qsizetype(from),
                                      samples.begin() + qsizetype(from + count)));
}

// The slowest median of any run of `window` samples, as a multiple of the
// first one's: about 1 while the cost stays flat. A median ignores the odd
// sample that the scheduler or a cache miss made slow, but a cost that grows
// with every cycle raises all of them.
double growth(const std::vector<double>& samples, size_t window) {
    const double first = medianOf(samples, 0, window);
    double slowest = first;
    for (size_t from = 0; from + window <= samples.size(); from += window)
        slowest = std::max(slowest, medianOf(samples, from, window));
    return first > 0 ? slowest / first : 0;
}

} // namespace

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);

    FormHarness harness;
    Form1& form = harness.load();
    form.show();

    std::vector<double> cycleMs, closeAllMs;
    for (int round = 0; round < kRounds; ++round) {
        // The first document has unsaved changes, so Close All asks.
        QTest::keyClicks(form.currentSurface().widget(), QStringLiteral("kept for a round"));
        for (int cycle = 0; cycle < kCyclesPerRound; ++cycle) {
            const double start = threadCpuMilliseconds();
            form.PushButton2->click(); // New
            QTest::keyClicks(form.currentSurface().widget(), QStringLiteral("a line of text"));
            harness.messages->answers.push_back(MsgResult::No); // "Save changes?"
            form.PushButton11->click();                         // Close
            QCoreApplication::processEvents();
            cycleMs.push_back(threadCpuMilliseconds() - start);
        }
        harness.messages->answers.push_back(MsgResult::Yes); // continue without saving
        const double start = threadCpuMilliseconds();
        form.PushButton12->click(); // Close All
        QCoreApplication::processEvents();
        closeAllMs.push_back(threadCpuMilliseconds() - start);
        // Figures of a session that went otherwise would be of something else.
        if (form.TabControl1->count() != 1 || form.RichTextBox1->count() != 1) {
            std::fprintf(stderr, "round %d left %d tabs and %d surfaces, not one\n", round + 1,
                         int(form.TabControl1->count()), int(form.RichTextBox1->count()));
            return 1;
        }
        harness.messages->shown.clear();
    }

    const auto [lowest, highest] = std::minmax_element(cycleMs.begin(), cycleMs.end());
    std::printf("New/type/Close cycle, CPU time: first %d median %.3f ms, all %d median %.3f ms, "
                "min %.3f, max %.3f; slowest %d %.2fx the first\n",
                kCyclesPerRound, medianOf(cycleMs, 0, kCyclesPerRound), int(cycleMs.size()),
                median(cycleMs), *lowest, *highest, kCyclesPerRound,
                growth(cycleMs, kCyclesPerRound));
    std::printf("Close All after each round, CPU time: first 5 median %.3f ms, all %d median "
                "%.3f ms; slowest 5 %.2fx the first\n",
                medianOf(closeAllMs, 0, 5), int(closeAllMs.size()), median(closeAllMs),
                growth(closeAllMs, 5));
    return 0;
}
