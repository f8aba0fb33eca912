// libFuzzer target for the RTF reader: any bytes go through the reader into
// the plain sink, then into a QTextDocument as the surface loads a file, out
// through the writer and back in again. Whatever the input, none of this may
// crash, leak or take long, and the lists must number as they are saved, as
// read and after an edit.
#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "components/rtf/plaintextsink.h"
#include "components/rtf/qtsink.h"
#include "components/rtf/reader.h"
#include "components/rtf/writer.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// QTextDocument and QFont want a QGuiApplication; it lives for the whole run.
QGuiApplication* application = nullptr;

// A wrong result is a fault like a crash: say where it went wrong and stop,
// so libFuzzer keeps the input.
// Text for the report: controls and everything outside ASCII as escapes.
QByteArray printable(QStringView text) {
    QByteArray out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
            out += char(c.unicode());
        else
            out += "\\u{" + QByteArray::number(c.unicode(), 16) + '}';
    }
    return out;
}

// A wrong result is a fault like a crash: say where it went wrong and stop,
// so libFuzzer keeps the input.
[[noreturn]] void fail(const char* what, const QString& before, const QString& after) {
    qsizetype at = 0;
    while (at < before.size() && at < after.size() && before[at] == after[at])
        ++at;
    const qsizetype from = std::max<qsizetype>(0, at - 40);
    std::fprintf(stderr, "%s at %lld:\n  before: %s\n  after:  %s\n", what,
                 static_cast<long long>(at),
                 printable(QStringView(before).mid(from, 80)).constData(),
                 printable(QStringView(after).mid(from, 80)).constData());
    std::abort();
}

// Every paragraph's list label, one to a line.
QString labels(const QTextDocument& document) {
    QString shown;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        shown += (block.textList() ? block.textList()->itemText(block) : QString()) + u'\n';
    return shown;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    application = new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    rtf::PlainTextSink plain;
    rtf::Reader(plain).read(bytes);

    // The document path costs far more per byte; big inputs only get the
    // reader above, so that the run explores instead of waiting on layout.
    if (size > 64 * 1024)
        return 0;
    const QByteArray content = QByteArray::fromRawData(bytes.data(), qsizetype(size));
    QTextDocument document;
    rtf::loadBytes(document, content);
    const QString text = rtf::documentText(document);
    // As read, the lists number their items as the saved file will: the
    // first edit must not renumber what was never touched.
    if (rtf::followListNumbering(document))
        fail("lists as read number otherwise than saved", text, rtf::documentText(document));
    const QByteArray written = rtf::writeRtf(document);

    QTextDocument again;
    rtf::loadBytes(again, written);
    const QString textAgain = rtf::documentText(again);
    // What an RTF file showed must come back from what we wrote of it. A plain
    // file may hold control characters that RTF does not carry, so for those
    // only the second round below counts.
    if (rtf::isRtf(content) && textAgain != text)
        fail("round trip changed the text", text, textAgain);
    // Saving what we read of our own file gives the same bytes.
    const QByteArray writtenAgain = rtf::writeRtf(again);
    if (writtenAgain != written)
        fail("second save differs from the first", QString::fromLatin1(written),
             QString::fromLatin1(writtenAgain));

    // An edit that renumbers: the first list item taken out of its list. The
    // lists follow it in one go and then show what the saved file numbers.
    QTextBlock item = again.begin();
    while (item.isValid() && !item.textList())
        item = item.next();
    if (!item.isValid())
        return 0;
    QTextCursor(item).setBlockFormat(QTextBlockFormat());
    rtf::followListNumbering(again);
    const QString shown = labels(again);
    if (rtf::followListNumbering(again))
        fail("the lists did not follow an edit in one go", shown, labels(again));
    QTextDocument edited;
    rtf::loadBytes(edited, rtf::writeRtf(again));
    if (labels(edited) != shown)
        fail("the lists show other numbers than the saved file", shown, labels(edited));
    return 0;
}
