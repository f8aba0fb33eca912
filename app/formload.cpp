#include "app/cursorfile.h"
#include "app/form1.h"
#include "app/statementguard.h"
#include "components/runtimeerror.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRadioButton>
#include <QStringDecoder>

namespace {

const char* const kFontSizes[] = {"8", "9", "10", "11", "12", "14", "18", "21", "38", "64", "72"};

// The skin is a Qt style sheet; a file that is not text is a damaged skin.
QString readSkin(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(file.errorString());
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString sheet = decoder.decode(bytes);
    if (decoder.hasError() || bytes.contains('\0'))
        throw RuntimeError(QStringLiteral("Invalid skin file"));
    return sheet;
}

} // namespace

bool Form1::FileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

QString Form1::ApplicationTitleFrom(const QString& productName) {
    QString title = productName;
    if (!title.contains(QLatin1Char(' ')))
        return title;
    do {
        const qsizetype space = title.lastIndexOf(QLatin1Char(' '));
        if (space < 0)
            break;
        title.truncate(space);
    } while (title.size() > 40);
    return title;
}

void Form1::applySkin(const QString& skinPath) {
    backColor = kButtonFaceColor;
    setControlBackColor(this, backColor);
    for (QWidget* box : {static_cast<QWidget*>(Option1), static_cast<QWidget*>(Option2),
                         static_cast<QWidget*>(Option3), static_cast<QWidget*>(Check1),
                         static_cast<QWidget*>(Check2), static_cast<QWidget*>(Check3),
                         static_cast<QWidget*>(Check4)})
        setControlBackColor(box, backColor);
    setStyleSheet(readSkin(skinPath));
}

void Form1::Form_Load() {
    StatementGuard guard(messages(), "Form_Load");
    const QString folder = programFolder() + QDir::separator();

    guard(100, [&] {
        const QString skinPath =
            folder + QStringLiteral("x") + QDir::separator() + QStringLiteral("o.cjs");
        if (QFileInfo(skinPath).isFile())
            applySkin(skinPath);
    });
    const QString cursorPath = folder + QStringLiteral("HAND-M.CUR");
    if (guard.test(104, [&] { return FileExists(cursorPath); }))
        guard(106, [&] { MouseIcon = loadCursorFile(cursorPath); });
    guard(126, [&] { setWindowTitle(QString::fromLatin1(kProductName)); });
    guard(126, [&] { setWindowIcon(QApplication::windowIcon()); });
    guard(126, [&] { applicationTitle = ApplicationTitleFrom(QString::fromLatin1(kProductName)); });
    guard(128, [&] { documentCount = 1; });
    guard(130, [&] { loadingFlag = true; });
    int line = 132;
    for (const char* size : kFontSizes) {
        guard(line, [&] { Combo1->addItem(QString::fromLatin1(size)); });
        line += 2;
    }
    guard(154, [&] { Combo1->setEditText(DecimalText((*RichTextBox1)[0].font().pointSizeF())); });
    guard(156, [&] { PushButton13->setForeColor(0x808080); });

    QStringList fonts;
    // 158 reads the number of fonts; when it fails the loop does not run.
    guard(158, [&] { fonts = platform_.fonts->families(); });
    for (const QString& font : std::as_const(fonts))
        guard(160, [&] { List1.addItem(font); }); // 162 goes on to the next
    int listCount = 0;
    guard(164, [&] { listCount = List1.listCount(); });
    for (int i = 0; i < listCount; ++i)
        guard(166, [&] { Combo2->addItem(List1.list(i)); }); // 168 goes on to the next

    guard(170, [&] { Combo2->setEditText(QStringLiteral("Arial")); });
    guard(172,
          [&] { TabControl1->insertItem(0, QStringLiteral("Untitled%1.rtf").arg(documentCount)); });
    guard(174, [&] { (*RichTextBox1)[0].setTag(DocumentTag(false, QString())); });
    guard(176, [&] { loadingFlag = false; });
    guard(178, [&] { Timer1.start(); });
    guard(180, [&] { Timer1.setInterval(10); });
}
