// Cost of many open documents: New run 1,000 times, the memory
// each one takes, and one tab selection with all of them open.
#include "app/form1.h"
#include "benchsupport.h"
#include "tests/support/scripted.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    preferOffscreen();
    QApplication app(argc, argv);
    const int documents = argc > 1 ? std::max(2, atoi(argv[1])) : 1000;

    FormHarness harness;
    Form1& form = harness.load();
    form.show();
    QCoreApplication::processEvents();
    const qint64 memoryBefore = residentKilobytes();

    std::vector<double> insertMs;
    const auto created = std::chrono::steady_clock::now();
    // New, as the button runs it, with every earlier document still open.
    for (int i = 1; i < documents; ++i) {
        const auto start = std::chrono::steady_clock::now();
        form.PushButton2_Click();
        QCoreApplication::processEvents();
        insertMs.push_back(millisecondsSince(start));
    }
    const double createTotal = millisecondsSince(created);
    const qint64 memoryAfter = residentKilobytes();

    std::vector<double> selectMs;
    for (int round = 0; round < 50; ++round) {
        const int position = (round * 397) % documents;
        const auto start = std::chrono::steady_clock::now();
        form.TabControl1->select(position);
        QCoreApplication::processEvents();
        selectMs.push_back(millisecondsSince(start));
    }
    std::sort(selectMs.begin(), selectMs.end());

    std::printf("documents open:                %d\n", documents);
    std::vector<double> sorted = insertMs;
    std::sort(sorted.begin(), sorted.end());
    std::printf("New, all documents:            %.1f ms (first %.2f ms, last %.2f ms, median %.2f ms, max %.2f ms)\n",
                createTotal, insertMs.front(), insertMs.back(), sorted[sorted.size() / 2], sorted.back());
    std::printf("memory per empty document:     %.1f KB (RSS %lld KB -> %lld KB)\n",
                double(memoryAfter - memoryBefore) / (documents - 1),
                static_cast<long long>(memoryBefore), static_cast<long long>(memoryAfter));
    std::printf("tab selection (50 selections): median %.2f ms, max %.2f ms\n",
                selectMs[selectMs.size() / 2], selectMs.back());
    return 0;
}
