// A long working session in one process: two thousand documents created,
// typed into and closed, the set emptied by Close All fifty times. Whatever a
// command leaves behind shows up as memory that Close All does not give back.
// How long the cycles take, and whether that grows, is bench/soak_bench's
// figure: a timing would fail on a busy machine.
#include "bench/benchsupport.h"
#include "tests/support/scripted.h"

#include <QApplication>
#include <QTest>
#include <QTextEdit>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 50;
constexpr int kCyclesPerRound = 40; // 50 rounds of 40: 2,000 cycles

struct Memory {
    qint64 heapBytes;
    qint64 residentKb;
};

// Runs what the event loop would have run by now, deferred deletions
// included (they wait for a loop otherwise), then measures.
Memory settleAndMeasure() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    return {heapBytesInUse(), trimmedResidentKilobytes()};
}

TEST(Soak, TwoThousandCyclesAndFiftyCloseAllsLeaveNoMemoryBehind) {
    FormHarness harness;
    Form1& form = harness.load();
    form.show();
    const Memory start = settleAndMeasure();

    std::vector<Memory> afterCloseAll;
    for (int round = 0; round < kRounds; ++round) {
        // The first document has unsaved changes, so Close All asks.
        QTest::keyClicks(form.currentSurface().widget(), QStringLiteral("kept for a round"));
        for (int cycle = 0; cycle < kCyclesPerRound; ++cycle) {
            form.PushButton2->click();
            QTest::keyClicks(form.currentSurface().widget(), QStringLiteral("a line of text"));
            harness.messages->answers.push_back(MsgResult::No); // "Save changes?"
            form.PushButton11->click();
            QCoreApplication::processEvents();
            ASSERT_EQ(form.TabControl1->count(), 1);
        }
        harness.messages->answers.push_back(MsgResult::Yes); // continue without saving
        form.PushButton12->click();
        QCoreApplication::processEvents();

        ASSERT_EQ(harness.messages->shown.size(), size_t(kCyclesPerRound + 1))
            << "every Close asked once, Close All once, nothing was reported";
        ASSERT_EQ(harness.messages->shown.back().title, QStringLiteral("Continue Close"));
        ASSERT_EQ(form.RichTextBox1->count(), 1) << "Close All released every closed surface";
        ASSERT_EQ(form.documentCount, 1);
        ASSERT_EQ(form.TabControl1->caption(0), QStringLiteral("Untitled1.rtf"));
        ASSERT_TRUE(form.currentSurface().text().isEmpty());
        // The script's own record of the boxes would grow with the session.
        harness.messages->shown.clear();
        afterCloseAll.push_back(settleAndMeasure());
    }

    std::printf(
        "heap in use: start %lld bytes, after the first Close All %lld, after the last %lld\n",
        static_cast<long long>(start.heapBytes),
        static_cast<long long>(afterCloseAll.front().heapBytes),
        static_cast<long long>(afterCloseAll.back().heapBytes));
    std::printf(
        "resident: start %lld KB, after the first Close All %lld KB, after the last %lld KB\n",
        static_cast<long long>(start.residentKb),
        static_cast<long long>(afterCloseAll.front().residentKb),
        static_cast<long long>(afterCloseAll.back().residentKb));

    // Every round must give its memory back, the last one included: a leak
    // shows as a level that keeps rising from round to round.
    const auto mostHeap = std::max_element(
        afterCloseAll.begin(), afterCloseAll.end(),
        [](const Memory& a, const Memory& b) { return a.heapBytes < b.heapBytes; });
    const auto mostResident = std::max_element(
        afterCloseAll.begin(), afterCloseAll.end(),
        [](const Memory& a, const Memory& b) { return a.residentKb < b.residentKb; });
    std::string heapByRound;
    for (size_t round = 0; round < afterCloseAll.size(); round += 10)
        heapByRound.append(1, ' ').append(std::to_string(afterCloseAll[round].heapBytes));
    EXPECT_LE(mostHeap->heapBytes, start.heapBytes * 11 / 10)
        << "heap after Close All of round " << mostHeap - afterCloseAll.begin() + 1
        << "; after rounds 1, 11, 21 ...:" << heapByRound;
    EXPECT_LE(mostResident->residentKb, start.residentKb * 11 / 10)
        << "resident memory after Close All of round " << mostResident - afterCloseAll.begin() + 1;
}

} // namespace
