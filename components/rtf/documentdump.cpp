#include "components/rtf/documentdump.h"

#include "components/rtf/documentsource.h"
#include "components/rtf/qtformats.h"
#include "components/rtf/units.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextDocument>
#include <algorithm>
#include <memory>
#include <set>
#include <vector>

namespace rtf {
namespace {

QString alignmentName(Alignment alignment) {
    switch (alignment) {
    case Alignment::Center:
        return QStringLiteral("center");
    case Alignment::Right:
        return QStringLiteral("right");
    case Alignment::Justify:
        return QStringLiteral("justify");
    case Alignment::Left:
        break;
    }
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

QJsonValue colorValue(const std::optional<QRgb>& rgb) {
    return rgb ? QJsonValue(QColor::fromRgb(*rgb).name()) : QJsonValue(QJsonValue::Null);
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
    case PictureKind::TextBox:
        return QStringLiteral("textbox");
    case PictureKind::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

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

QString borderText(const CellBorder& border) {
    if (border.style == BorderStyle::None || border.width <= 0)
        return QStringLiteral("none");
    const char* name = border.style == BorderStyle::Double   ? "double"
                       : border.style == BorderStyle::Dotted ? "dotted"
                       : border.style == BorderStyle::Dashed ? "dashed"
                                                             : "solid";
    return QStringLiteral("%1 %2 %3")
        .arg(QLatin1StringView(name))
        .arg(border.width)
        .arg(QColor::fromRgb(border.color.value_or(qRgb(0, 0, 0))).name());
}

// The document as the walk tells it, gathered into JSON: paragraphs in
// order, each table whole once it ends (a cell's row span is only known
// from the rows below it).
class DumpSink : public DocumentSink {
public:
    explicit DumpSink(const QFont& defaultFont) : defaultFont_(defaultFont) {}

    void text(QStringView text, const RunFormat& format) override {
        QJsonObject run = runObject(format);
        // Text split only by what the dump does not show (a kept bookmark
        // between its words) is one run.
        if (!runs_.isEmpty()) {
            QJsonObject last = runs_.last().toObject();
            const QString lastText = last.take(textKey()).toString();
            if (last == run) {
                last[textKey()] = lastText + text.toString();
                runs_.replace(runs_.size() - 1, last);
                return;
            }
        }
        run[textKey()] = text.toString();
        runs_.append(run);
    }

    void picture(const Picture& picture, const RunFormat& format) override {
        QJsonObject run = runObject(format);
        run[textKey()] = QString(QChar::ObjectReplacementCharacter);
        const QImage shown = decodePicture(picture);
        QJsonObject image;
        image[QStringLiteral("kind")] = pictureKindName(picture.kind);
        image[QStringLiteral("pixels")] = shown.isNull()
                                              ? QJsonValue(QJsonValue::Null)
                                              : QJsonArray{shown.width(), shown.height()};
        // As the document shows it: its intended size, an inch where it has none.
        const auto shownTwips = [](int twips) { return twips > 0 ? twips : units::twipsPerInch; };
        image[QStringLiteral("twips")] =
            QJsonArray{shownTwips(picture.intendedWidth(shown.isNull() ? 0 : shown.width())),
                       shownTwips(picture.intendedHeight(shown.isNull() ? 0 : shown.height()))};
        image[QStringLiteral("bytes")] = picture.data.size();
        run[QStringLiteral("image")] = image;
        runs_.append(run);
    }

    void endParagraph(const ParagraphFormat& format, const RunFormat&) override {
        const int depth = std::clamp(format.tableDepth, 0, 64);
        closeTablesDeeperThan(depth);
        openTablesTo(depth);
        QJsonObject paragraph;
        paragraph[QStringLiteral("align")] = alignmentName(format.alignment);
        if (format.rightToLeft)
            paragraph[QStringLiteral("direction")] = QStringLiteral("rtl");
        paragraph[QStringLiteral("left")] = format.leftIndent;
        paragraph[QStringLiteral("right")] = format.rightIndent;
        paragraph[QStringLiteral("first")] = format.firstIndent;
        paragraph[QStringLiteral("before")] = format.spaceBefore;
        paragraph[QStringLiteral("after")] = format.spaceAfter;
        paragraph[QStringLiteral("line")] = lineValue(format.line);
        QJsonArray tabs;
        for (const TabStop& stop : format.tabs) {
            static const char* const kinds[] = {"left", "center", "right", "decimal"};
            static const char* const leaders[] = {"none",      "dot",   "middle-dot", "hyphen",
                                                  "underline", "thick", "equal"};
            tabs.append(QJsonObject{
                {QStringLiteral("position"), stop.position},
                {QStringLiteral("kind"), QLatin1String(kinds[static_cast<int>(stop.kind)])},
                {QStringLiteral("leader"), QLatin1String(leaders[static_cast<int>(stop.leader)])}});
        }
        paragraph[QStringLiteral("tabs")] = tabs;
        paragraph[QStringLiteral("list")] = listName(format.list);
        paragraph[QStringLiteral("level")] = format.list == ListKind::None ? 0 : format.listLevel;
        paragraph[QStringLiteral("runs")] = std::exchange(runs_, {});
        itemsAt(depth).append(paragraph);
    }

    void endCell(int depth) override {
        depth = std::clamp(depth, 1, 64);
        closeTablesDeeperThan(depth);
        openTablesTo(depth);
        Table& table = *tables_[static_cast<std::size_t>(depth - 1)];
        table.cells.push_back(std::exchange(table.current, {}));
    }

    void endRow(const RowFormat& row, int depth) override {
        depth = std::clamp(depth, 1, 64);
        closeTablesDeeperThan(depth);
        openTablesTo(depth);
        Table& table = *tables_[static_cast<std::size_t>(depth - 1)];
        table.rows.push_back({row, std::exchange(table.cells, {})});
    }

    void finish() override { closeTablesDeeperThan(0); }

    QJsonArray items;

private:
    struct Row {
        RowFormat format;
        std::vector<QJsonArray> cells;
    };
    struct Table {
        std::vector<Row> rows;
        std::vector<QJsonArray> cells; // ended, their row not yet
        QJsonArray current;
    };

    static QString textKey() { return QStringLiteral("text"); }

    QJsonObject runObject(const RunFormat& format) const {
        QJsonObject run;
        run[QStringLiteral("font")] =
            format.family.isEmpty() ? defaultFont_.family() : format.family;
        const double points = format.points > 0               ? format.points
                              : defaultFont_.pointSizeF() > 0 ? defaultFont_.pointSizeF()
                                                              : 12.0;
        run[QStringLiteral("size")] =
            units::pointsFromHalfPoints(std::max(1, units::halfPointsFromPoints(points)));
        run[QStringLiteral("bold")] = format.bold;
        run[QStringLiteral("italic")] = format.italic;
        run[QStringLiteral("underline")] = format.underline;
        run[QStringLiteral("strike")] = format.strike;
        run[QStringLiteral("color")] = colorValue(format.color);
        run[QStringLiteral("background")] = colorValue(format.background);
        const char* position = format.position == VerticalPosition::Super ? "super"
                               : format.position == VerticalPosition::Sub ? "sub"
                                                                          : "normal";
        run[QStringLiteral("position")] = QLatin1StringView(position);
        return run;
    }

    QJsonArray& itemsAt(int depth) {
        return depth == 0 ? items : tables_[static_cast<std::size_t>(depth - 1)]->current;
    }
    void openTablesTo(int depth) {
        while (tables_.size() < static_cast<std::size_t>(depth))
            tables_.push_back(std::make_unique<Table>());
    }
    void closeTablesDeeperThan(int depth) {
        while (tables_.size() > static_cast<std::size_t>(depth)) {
            std::unique_ptr<Table> table = std::move(tables_.back());
            tables_.pop_back();
            if (!table->rows.empty())
                itemsAt(static_cast<int>(tables_.size()))
                    .append(QJsonObject{{QStringLiteral("table"), tableObject(*table)}});
        }
    }
    static QJsonObject tableObject(const Table& table);

    QFont defaultFont_;
    QJsonArray runs_;
    std::vector<std::unique_ptr<Table>> tables_; // [0] is depth 1
};

QJsonObject DumpSink::tableObject(const Table& table) {
    std::set<int> edges;
    for (const Row& row : table.rows) {
        edges.insert(row.format.left);
        for (const CellFormat& cell : row.format.cells)
            edges.insert(cell.rightEdge);
    }
    const std::vector<int> grid(edges.begin(), edges.end());
    const auto column = [&](int edge) {
        return static_cast<int>(std::lower_bound(grid.begin(), grid.end(), edge) - grid.begin());
    };
    const auto filler = [](int at, int columns) {
        QJsonObject paragraph{{QStringLiteral("align"), QStringLiteral("left")},
                              {QStringLiteral("left"), 0},
                              {QStringLiteral("right"), 0},
                              {QStringLiteral("first"), 0},
                              {QStringLiteral("before"), 0},
                              {QStringLiteral("after"), 0},
                              {QStringLiteral("line"), QStringLiteral("single")},
                              {QStringLiteral("tabs"), QJsonArray{}},
                              {QStringLiteral("list"), QStringLiteral("none")},
                              {QStringLiteral("level"), 0},
                              {QStringLiteral("runs"), QJsonArray{}}};
        return QJsonObject{
            {QStringLiteral("column"), at},
            {QStringLiteral("columns"), columns},
            {QStringLiteral("rows"), 1},
            {QStringLiteral("filler"), true},
            {QStringLiteral("background"), QJsonValue::Null},
            {QStringLiteral("borders"), QJsonArray{QStringLiteral("none"), QStringLiteral("none"),
                                                   QStringLiteral("none"), QStringLiteral("none")}},
            {QStringLiteral("paragraphs"), QJsonArray{paragraph}}};
    };
    QJsonArray rows;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const Row& row = table.rows[r];
        QJsonArray cells;
        if (const int first = column(row.format.left); first > 0)
            cells.append(filler(0, first));
        int left = row.format.left;
        for (std::size_t c = 0; c < row.format.cells.size(); ++c) {
            const CellFormat& cell = row.format.cells[c];
            const int start = column(left), end = column(cell.rightEdge);
            left = cell.rightEdge;
            if (cell.verticalMerged)
                continue; // shown as part of the cell above
            int span = 1;
            for (std::size_t below = r + 1; below < table.rows.size(); ++below) {
                const RowFormat& next = table.rows[below].format;
                int nextLeft = next.left;
                bool continues = false;
                for (const CellFormat& other : next.cells) {
                    if (column(nextLeft) == start && other.verticalMerged)
                        continues = true;
                    nextLeft = other.rightEdge;
                }
                if (!continues)
                    break;
                ++span;
            }
            QJsonObject object;
            object[QStringLiteral("column")] = start;
            object[QStringLiteral("columns")] = end - start;
            object[QStringLiteral("rows")] = span;
            object[QStringLiteral("background")] = colorValue(cell.background);
            object[QStringLiteral("borders")] =
                QJsonArray{borderText(cell.top), borderText(cell.left), borderText(cell.bottom),
                           borderText(cell.right)};
            object[QStringLiteral("paragraphs")] =
                c < row.cells.size() ? row.cells[c] : QJsonArray{};
            cells.append(object);
        }
        if (const int last = column(left); last + 1 < static_cast<int>(grid.size()))
            cells.append(filler(last, static_cast<int>(grid.size()) - 1 - last));
        rows.append(QJsonObject{{QStringLiteral("cells"), cells}});
    }
    QJsonArray gridArray;
    for (int edge : grid)
        gridArray.append(edge);
    return QJsonObject{{QStringLiteral("edges"), gridArray}, {QStringLiteral("rows"), rows}};
}

} // namespace

QByteArray dumpDocument(const QTextDocument& document) {
    DumpSink sink(document.defaultFont());
    walkDocument(document, sink);
    QJsonObject root;
    root[QStringLiteral("paragraphs")] = sink.items;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace rtf
