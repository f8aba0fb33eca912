#include "components/rtf/documentdump.h"

#include "components/rtf/qtsink.h"
#include "components/rtf/units.h"
#include "components/rtf/writerformats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
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
    run[QStringLiteral("size")] = units::pointsFromHalfPoints(written.halfPoints);
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

QString pictureKindName(PictureKind kind) {
    switch (kind) {
    case PictureKind::Png:
        return QStringLiteral("png");
    case PictureKind::Jpeg:
        return QStringLiteral("jpeg");
    case PictureKind::Emf:
        return QStringLiteral("emf");
    case PictureKind::Wmf:
        return QStringLiteral("wmf");
    case PictureKind::MacPict:
        return QStringLiteral("macpict");
    case PictureKind::Os2Metafile:
        return QStringLiteral("pmmetafile");
    case PictureKind::Dib:
        return QStringLiteral("dib");
    case PictureKind::Bitmap:
        return QStringLiteral("bitmap");
    case PictureKind::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

QJsonObject imageObject(const QTextDocument& document, const QTextImageFormat& format) {
    const Picture header =
        pictureFromHeader(format.property(property::pictureHeader).value<QList<int>>());
    QJsonObject image;
    image[QStringLiteral("kind")] = pictureKindName(header.kind);
    QJsonValue pixels = QJsonValue::Null;
    if (!format.boolProperty(property::picturePlaceholder)) {
        const QImage shown =
            document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
        pixels = QJsonArray{shown.width(), shown.height()};
    }
    image[QStringLiteral("pixels")] = pixels;
    image[QStringLiteral("twips")] =
        QJsonArray{units::twipsFromPixels(format.width()), units::twipsFromPixels(format.height())};
    image[QStringLiteral("bytes")] = format.property(property::pictureData).toByteArray().size();
    return image;
}

QString borderText(qreal width, QTextFrameFormat::BorderStyle style, const QBrush& brush) {
    if (width <= 0 || style == QTextFrameFormat::BorderStyle_None)
        return QStringLiteral("none");
    const char* name = style == QTextFrameFormat::BorderStyle_Double   ? "double"
                       : style == QTextFrameFormat::BorderStyle_Dotted ? "dotted"
                       : style == QTextFrameFormat::BorderStyle_Dashed ? "dashed"
                                                                       : "solid";
    return QStringLiteral("%1 %2 %3")
        .arg(QLatin1StringView(name))
        .arg(units::twipsFromPixels(width))
        .arg(brush.color().name());
}

QJsonObject paragraphObject(const QTextDocument& document, const QTextBlock& block,
                            WriterTables& tables);

QJsonArray frameItems(const QTextDocument& document, QTextFrame::iterator it, WriterTables& tables);

QJsonObject tableObject(const QTextDocument& document, const QTextTable* table,
                        WriterTables& tables) {
    QJsonArray grid;
    for (int edge : table->format().property(property::tableGrid).value<QList<int>>())
        grid.append(edge);
    QJsonArray rows;
    for (int r = 0; r < table->rows(); ++r) {
        QJsonArray cells;
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue;
            const QTextTableCellFormat format = cell.format().toTableCellFormat();
            QJsonObject object;
            object[QStringLiteral("column")] = c;
            object[QStringLiteral("columns")] = cell.columnSpan();
            object[QStringLiteral("rows")] = cell.rowSpan();
            if (format.boolProperty(property::fillerCell))
                object[QStringLiteral("filler")] = true;
            object[QStringLiteral("background")] = colorValue(format.background());
            object[QStringLiteral("borders")] = QJsonArray{
                borderText(format.topBorder(), format.topBorderStyle(), format.topBorderBrush()),
                borderText(format.leftBorder(), format.leftBorderStyle(), format.leftBorderBrush()),
                borderText(format.bottomBorder(), format.bottomBorderStyle(),
                           format.bottomBorderBrush()),
                borderText(format.rightBorder(), format.rightBorderStyle(),
                           format.rightBorderBrush())};
            object[QStringLiteral("paragraphs")] = frameItems(document, cell.begin(), tables);
            cells.append(object);
        }
        rows.append(QJsonObject{{QStringLiteral("cells"), cells}});
    }
    QJsonObject object;
    object[QStringLiteral("edges")] = grid;
    object[QStringLiteral("rows")] = rows;
    return object;
}

QJsonArray frameItems(const QTextDocument& document, QTextFrame::iterator it,
                      WriterTables& tables) {
    QJsonArray items;
    for (; !it.atEnd(); ++it) {
        if (const QTextFrame* frame = it.currentFrame()) {
            if (const auto* table = qobject_cast<const QTextTable*>(frame)) {
                items.append(
                    QJsonObject{{QStringLiteral("table"), tableObject(document, table, tables)}});
            } else {
                for (const QJsonValue& item : frameItems(document, frame->begin(), tables))
                    items.append(item);
            }
        } else {
            items.append(paragraphObject(document, it.currentBlock(), tables));
        }
    }
    return items;
}

} // namespace

namespace {

// "single", {"percent": 150}, {"at-least": 360} or {"exact": 360} (twips).
QJsonValue lineValue(const LineSpacing& line) {
    switch (line.rule) {
    case LineRule::Proportional:
        return QJsonObject{{QStringLiteral("percent"), line.amount}};
    case LineRule::AtLeast:
        return QJsonObject{{QStringLiteral("at-least"), line.amount}};
    case LineRule::Exact:
        return QJsonObject{{QStringLiteral("exact"), line.amount}};
    case LineRule::Single:
        break;
    }
    return QStringLiteral("single");
}

QJsonObject paragraphObject(const QTextDocument& document, const QTextBlock& block,
                            WriterTables& tables) {
    const QTextBlockFormat format = block.blockFormat();
    QJsonObject paragraph;
    paragraph[QStringLiteral("align")] = alignmentName(format.alignment());
    if (format.layoutDirection() == Qt::RightToLeft)
        paragraph[QStringLiteral("direction")] = QStringLiteral("rtl");
    paragraph[QStringLiteral("left")] = units::twipsFromPixels(format.leftMargin());
    paragraph[QStringLiteral("right")] = units::twipsFromPixels(format.rightMargin());
    paragraph[QStringLiteral("first")] = units::twipsFromPixels(format.textIndent());
    paragraph[QStringLiteral("before")] = units::twipsFromPixels(format.topMargin());
    paragraph[QStringLiteral("after")] = units::twipsFromPixels(format.bottomMargin());
    paragraph[QStringLiteral("line")] = lineValue(lineSpacingOf(format));
    QJsonArray tabs;
    for (const TabStop& stop : tabStopsOf(format)) {
        static const char* const kinds[] = {"left", "center", "right", "decimal"};
        static const char* const leaders[] = {"none",      "dot",   "middle-dot", "hyphen",
                                              "underline", "thick", "equal"};
        tabs.append(QJsonObject{
            {QStringLiteral("position"), stop.position},
            {QStringLiteral("kind"), QLatin1String(kinds[static_cast<int>(stop.kind)])},
            {QStringLiteral("leader"), QLatin1String(leaders[static_cast<int>(stop.leader)])}});
    }
    paragraph[QStringLiteral("tabs")] = tabs;
    const QTextList* list = block.textList();
    paragraph[QStringLiteral("list")] = listName(listKindOf(list));
    paragraph[QStringLiteral("level")] = list ? std::clamp(list->format().indent() - 1, 0, 8) : 0;
    QJsonArray runs;
    const QString textKey = QStringLiteral("text");
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat charFormat = fragment.charFormat();
        QJsonObject run = runObject(fragment.text(), charFormat, tables);
        if (charFormat.isImageFormat())
            run[QStringLiteral("image")] = imageObject(document, charFormat.toImageFormat());
        // Text split only by what the dump does not show (a kept bookmark
        // between its words) is one run.
        if (!runs.isEmpty() && !charFormat.isImageFormat()) {
            QJsonObject last = runs.last().toObject();
            QJsonObject withoutText = run;
            withoutText.remove(textKey);
            const QString lastText = last.take(textKey).toString();
            if (last == withoutText && !last.contains(QStringLiteral("image"))) {
                last[textKey] = lastText + fragment.text();
                runs.replace(runs.size() - 1, last);
                continue;
            }
        }
        runs.append(run);
    }
    paragraph[QStringLiteral("runs")] = runs;
    return paragraph;
}

} // namespace

QByteArray dumpDocument(const QTextDocument& document) {
    WriterTables tables(document.defaultFont());
    QJsonObject root;
    root[QStringLiteral("paragraphs")] =
        frameItems(document, document.rootFrame()->begin(), tables);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace rtf
