#include "app/form1.h"
#include "app/statementguard.h"
#include "components/runtimeerror.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

qint16 Form1::nextDocumentIndex() {
    if (documentCount == std::numeric_limits<qint16>::max())
        throw RuntimeError(QStringLiteral("Overflow"));
    ++documentCount;
    return qint16(documentCount - 1);
}

RichTextSurface& Form1::currentSurface() const {
    const int position = TabControl1->selectedPosition();
    if (position < 0)
        throw RuntimeError(QStringLiteral("Object variable or With block variable not set"));
    return (*RichTextBox1)[TabControl1->value(position)];
}

bool Form1::addUntitledDocument(StatementGuard& guard, int firstLine, bool atFront) {
    // firstLine is the number of the statement that sets the loading flag; the
    // others follow two apart, as in New.
    auto line = [firstLine](int offset) { return firstLine + offset; };
    guard(line(0), [&] { loadingFlag = true; });
    qint16 n = 0;
    if (!guard(line(2), [&] { n = nextDocumentIndex(); })) {
        // Without a new index every further statement would land on the newest
        // existing document and overwrite it; stop here instead.
        loadingFlag = false;
        return false;
    }
    int position = -1;
    guard(line(4), [&] {
        position = TabControl1->insertItem(atFront ? 0 : n,
                                           QStringLiteral("Untitled%1.rtf").arg(documentCount));
    });
    guard(line(6), [&] { TabControl1->select(position); });
    guard(line(8), [&] { TabControl1->setValue(position, n); });
    guard(line(10), [&] { RichTextBox1->load(n); });
    auto surface = [&]() -> RichTextSurface& { return (*RichTextBox1)[n]; };
    guard(line(12), [&] { surface().setTag(DocumentTag(false, QString())); });
    guard(line(14), [&] { surface().setText(QString()); });
    guard(line(16), [&] { surface().setSelColor(0); });
    guard(line(18), [&] { surface().setSelFontName(QStringLiteral("Arial")); });
    guard(line(20), [&] { surface().setSelFontSize(9); });
    guard(line(22), [&] { surface().setSelBold(false); });
    guard(line(24), [&] { surface().setSelBullet(false); });
    guard(line(26), [&] { surface().setSelIndent(0); });
    guard(line(28), [&] { surface().setSelItalic(false); });
    guard(line(30), [&] { surface().setSelUnderline(false); });
    guard(line(32), [&] { surface().setBackColor(0xFFFFFF); });
    guard(line(34), [&] { surface().setVisible(true); });
    guard(line(36), [&] { surface().zOrder(); });
    guard(line(38), [&] { surface().setFocus(); });
    guard(line(40), [&] { Combo1->setEditText(QStringLiteral("9")); });
    guard(line(42), [&] { Check1->setChecked(false); });
    guard(line(44), [&] { Check2->setChecked(false); });
    guard(line(46), [&] { Check3->setChecked(false); });
    guard(line(48), [&] { Check4->setChecked(false); });
    guard(line(50), [&] { Option1->setChecked(true); });
    guard(line(52), [&] { Combo2->setEditText(QStringLiteral("Arial")); });
    guard(line(54), [&] { loadingFlag = false; });
    return true;
}

void Form1::PushButton2_Click() {
    StatementGuard guard(messages(), "PushButton2_Click");
    addUntitledDocument(guard, 100, false);
}
