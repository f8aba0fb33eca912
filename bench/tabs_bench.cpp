// Cost of many open documents: creating 1,000 empty documents, the memory
// each one takes, and one tab selection with all of them open.
#include "app/form1.h"
#include "benchsupport.h"
#include "tests/support/scripted.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int documents = argc > 1 ? std::max(2, atoi(argv[1])) : 1000;

    FormHarness harness;
    Form1& form = harness.load();
    form.show();
    QCoreApplication::processEvents();
    const qint64 memoryBefore = residentKilobytes();

    std::vector<double> insertMs;
    const auto created = std::chrono::steady_clock::now();
    // The same steps the commands that add a document take.
    for (int i = 1; i < documents; ++i) {
        const auto start = std::chrono::steady_clock::now();
        form.loadingFlag = true;
        form.documentCount = qint16(form.documentCount + 1);
        RichTextSurface& surface = form.RichTextBox1->load(form.documentCount - 1);
        surface.setTag(QStringLiteral("0|"));
        const int position = form.TabControl1->insertItem(
            form.documentCount - 1, QStringLiteral("Untitled%1.rtf").arg(form.documentCount));
        form.TabControl1->setValue(position, qint16(form.documentCount - 1));
        form.TabControl1->select(position);
        form.loadingFlag = false;
        form.TabControl1_SelectedChanged(position);
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
    std::printf("create all documents:          %.1f ms (first %.2f ms, last %.2f ms)\n",
                createTotal, insertMs.front(), insertMs.back());
    std::printf("memory per empty document:     %.1f KB (RSS %lld KB -> %lld KB)\n",
                double(memoryAfter - memoryBefore) / (documents - 1),
                static_cast<long long>(memoryBefore), static_cast<long long>(memoryAfter));
    std::printf("tab selection (50 selections): median %.2f ms, max %.2f ms\n",
                selectMs[selectMs.size() / 2], selectMs.back());
    return 0;
}
