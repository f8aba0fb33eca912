#include "components/rtf/documentdump.h"

#include "components/rtf/qtsink.h"
#include "components/rtf/writerformats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <cmath>

namespace rtf {
namespace {

QString alignmentName(Qt::Alignment align) {
    align &= Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter)
        return QStringLiteral("center");
    if (align & (Qt::AlignRight | Qt::AlignTrailing))
        return QStringLiteral("right");
    if (align & Qt::AlignJustify)
        return QStringLiteral("justify");
    return QStringLiteral("left");
}

QString listName(ListKind kind) {
    switch (kind) {
    case ListKind::None:
        return QStringLiteral("none");
    case ListKind::Bullet:
        return QStringLiteral("bullet");
    case ListKind::Decimal:
        return QStringLiteral("decimal");
    case ListKind::LowerAlpha:
        return QStringLiteral("lower-alpha");
    case ListKind::UpperAlpha:
        return QStringLiteral("upper-alpha");
    case ListKind::LowerRoman:
        return QStringLiteral("lower-roman");
    case ListKind::UpperRoman:
        return QStringLiteral("upper-roman");
    }
    return {};
}

QJsonValue colorValue(const QBrush& brush) {
    if (brush.style() == Qt::NoBrush)
        return QJsonValue::Null;
    return brush.color().name();
}

QJsonObject runObject(const QString& text, const QTextCharFormat& format, WriterTables& tables) {
    const WrittenFormat written = tables.add(format);
    QJsonObject run;
    run[QStringLiteral("text")] = text;
    run[QStringLiteral("font")] = tables.fonts().value(written.font);
    run[QStringLiteral("size")] = written.halfPoints / 2.0;
    run[QStringLiteral("bold")] = written.bold;
    run[QStringLiteral("italic")] = written.italic;
    run[QStringLiteral("underline")] = written.underline;
    run[QStringLiteral("strike")] = written.strike;
    run[QStringLiteral("color")] = colorValue(format.foreground());
    run[QStringLiteral("background")] = colorValue(format.background());
    const char* position = written.position == VerticalPosition::Super ? "super"
                           : written.position == VerticalPosition::Sub ? "sub"
                                                                       : "normal";
    run[QStringLiteral("position")] = QLatin1StringView(position);
    return run;
}

int twips(qreal pixels) {
    return static_cast<int>(std::lround(pixels * twipsPerPixel));
}

} // namespace

QString documentText(const QTextDocument& document) {
    QString text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += QLatin1StringView("\r\n");
        text += block.text();
    }
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

QByteArray dumpDocument(const QTextDocument& document) {
    WriterTables tables(document.defaultFont());
    QJsonArray paragraphs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        QJsonObject paragraph;
        paragraph[QStringLiteral("align")] = alignmentName(format.alignment());
        paragraph[QStringLiteral("left")] = twips(format.leftMargin());
        paragraph[QStringLiteral("right")] = twips(format.rightMargin());
        paragraph[QStringLiteral("first")] = twips(format.textIndent());
        paragraph[QStringLiteral("before")] = twips(format.topMargin());
        paragraph[QStringLiteral("after")] = twips(format.bottomMargin());
        const QTextList* list = block.textList();
        paragraph[QStringLiteral("list")] = listName(listKindOf(list));
        paragraph[QStringLiteral("level")] =
            list ? std::clamp(list->format().indent() - 1, 0, 8) : 0;
        QJsonArray runs;
        for (auto it = block.begin(); !it.atEnd(); ++it)
            runs.append(runObject(it.fragment().text(), it.fragment().charFormat(), tables));
        paragraph[QStringLiteral("runs")] = runs;
        paragraphs.append(paragraph);
    }
    QJsonObject root;
    root[QStringLiteral("paragraphs")] = paragraphs;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace rtf
