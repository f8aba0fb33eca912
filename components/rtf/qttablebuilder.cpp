#include "components/rtf/qttablebuilder.h"

#include "components/rtf/units.h"

#include <QTextTable>
#include <algorithm>
#include <map>

namespace rtf {
namespace {

using PendingTable = QtDocumentSink::PendingTable;
using PendingRow = QtDocumentSink::PendingRow;
using PendingCell = QtDocumentSink::PendingCell;

// Word allows 63 columns; a union of edges beyond that comes from rows that
// share no grid, and those become tables of their own.
constexpr std::size_t maxColumns = 64;
constexpr int defaultCellWidth = units::twipsPerInch;

// Whether a cell joins the one on its left (\clmrg) to make one cell: its left
// edge is then inside that cell and no column of the grid.
bool joinsLeft(const std::vector<CellFormat>& cells, std::size_t i) {
    return i > 0 && i < cells.size() && cells[i].merged && !cells[i - 1].verticalMerged;
}

// The edges of a row's cells, left edge first: a row with more cells than
// definitions gets cells an inch wide, an edge left of its neighbour moves
// right of it. Only a cell that joins its left neighbour may have no width:
// Word writes such cells with the edge of the cell they join, and moving
// them right would move the joined cell's edge with them.
std::vector<int> rowEdges(const PendingRow& row) {
    const std::vector<CellFormat>& cells = row.format.cells;
    const std::size_t count = std::max(cells.size(), row.cells.size());
    std::vector<int> edges;
    edges.reserve(count + 1);
    int previous = row.format.left;
    if (!cells.empty())
        previous = std::min(previous, cells.front().rightEdge - 1);
    edges.push_back(previous);
    for (std::size_t i = 0; i < count; ++i) {
        int edge = i < cells.size() ? cells[i].rightEdge
                                    : std::min(previous + defaultCellWidth, maxCellEdge);
        edge = std::max(edge, joinsLeft(cells, i) ? previous : previous + 1);
        edges.push_back(edge);
        previous = edge;
    }
    // Edges pushed right past the largest the reader takes come back within
    // it, keeping their order, so that what is saved reads back the same.
    for (std::size_t i = edges.size(); i-- > 0;) {
        const int limit = i + 1 == edges.size() ? maxCellEdge
                          : joinsLeft(cells, i) ? edges[i + 1]
                                                : edges[i + 1] - 1;
        if (edges[i] <= limit)
            break;
        edges[i] = limit;
    }
    return edges;
}

// The edges where a row's cells really meet: the left edge of a cell merged
// into its neighbour (\clmrg) is inside that neighbour, and saving writes the
// two as one cell, so it makes no column of the grid.
std::vector<int> rowBoundaries(const PendingRow& row) {
    const std::vector<int> edges = rowEdges(row);
    std::vector<int> boundaries;
    boundaries.reserve(edges.size());
    for (std::size_t i = 0; i < edges.size(); ++i)
        if (!joinsLeft(row.format.cells, i))
            boundaries.push_back(edges[i]);
    return boundaries;
}

bool hasContent(const PendingCell& cell) {
    for (const auto& item : cell.items)
        if (item.table || !item.paragraph.runs.empty())
            return true;
    return false;
}

void append(PendingCell& into, PendingCell& from) {
    // A merged-away cell's empty paragraph is no content of the merged cell.
    if (!hasContent(from))
        return;
    for (auto& item : from.items)
        into.items.push_back(std::move(item));
    from.items.clear();
}

struct Placed {
    int row = 0;
    int column = 0;
    int rows = 1;
    int columns = 1;
    CellFormat format;
    int gap = 0;
    PendingCell* content = nullptr; // null: a filler
};

QTextTableCellFormat cellFormat(const Placed& placed) {
    QTextTableCellFormat format = toCellFormat(placed.format, placed.gap);
    if (!placed.content)
        format.setProperty(property::fillerCell, true);
    return format;
}

void fillCell(QTextCursor cursor, PendingCell& cell, OpenLists& lists);

// One QTextTable of the rows whose edges make the grid.
void buildGrid(QTextCursor& cursor, bool& blockFree, std::vector<PendingRow*>& rows,
               const std::vector<int>& grid, OpenLists& lists) {
    const int columns = static_cast<int>(grid.size()) - 1;
    const auto column = [&](int edge) {
        return static_cast<int>(std::lower_bound(grid.begin(), grid.end(), edge) - grid.begin());
    };
    std::vector<Placed> placed;
    // Per first column: the cell of the row above that a \clvmrg below extends.
    std::map<int, std::size_t> above;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        PendingRow& row = *rows[static_cast<std::size_t>(r)];
        const std::vector<int> edges = rowEdges(row);
        // Every cell of the definition gets content, empty where none came;
        // sized once, so that the pointers taken below stay valid.
        row.cells.resize(edges.size() - 1);
        std::map<int, std::size_t> here;
        const int first = column(edges.front());
        if (first > 0)
            placed.push_back({r, 0, 1, first, {}, row.format.gap, nullptr});
        std::size_t previous = SIZE_MAX;
        for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
            const int start = column(edges[i]);
            const int end = column(edges[i + 1]);
            const CellFormat format =
                i < row.format.cells.size() ? row.format.cells[i] : CellFormat{};
            PendingCell& cell = row.cells[i];
            if (format.merged && previous != SIZE_MAX) {
                placed[previous].columns = end - placed[previous].column;
                append(*placed[previous].content, cell);
                continue;
            }
            if (format.verticalMerged) {
                auto up = above.find(start);
                if (up != above.end()) {
                    Placed& top = placed[up->second];
                    if (top.column + top.columns == end && top.row + top.rows == r) {
                        ++top.rows;
                        append(*top.content, cell);
                        here[start] = up->second;
                        previous = SIZE_MAX;
                        continue;
                    }
                }
            }
            placed.push_back({r, start, 1, end - start, format, row.format.gap, &cell});
            previous = placed.size() - 1;
            if (format.verticalMergeFirst)
                here[start] = previous;
        }
        const int last = column(edges.back());
        if (last < columns)
            placed.push_back({r, last, 1, columns - last, {}, row.format.gap, nullptr});
        above = std::move(here);
    }

    QTextTableFormat tableFormat;
    tableFormat.setBorder(0);
    tableFormat.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    tableFormat.setBorderCollapse(true);
    tableFormat.setCellSpacing(0);
    tableFormat.setCellPadding(0);
    tableFormat.setMargin(0);
    if (grid.front() > 0)
        tableFormat.setLeftMargin(units::pixelsFromTwips(grid.front()));
    QList<QTextLength> widths;
    for (int c = 0; c < columns; ++c)
        widths << QTextLength(QTextLength::FixedLength,
                              units::pixelsFromTwips(grid[static_cast<std::size_t>(c) + 1] -
                                                     grid[static_cast<std::size_t>(c)]));
    tableFormat.setColumnWidthConstraints(widths);
    const Alignment alignment = rows.front()->format.alignment;
    tableFormat.setAlignment(alignment == Alignment::Center  ? Qt::AlignHCenter
                             : alignment == Alignment::Right ? Qt::AlignRight
                                                             : Qt::AlignLeft);
    tableFormat.setProperty(property::tableGrid,
                            QVariant::fromValue(QList<int>(grid.begin(), grid.end())));

    QTextTable* table = cursor.insertTable(static_cast<int>(rows.size()), columns, tableFormat);
    // Formats first: a cell's format holds its spans, so setting one after
    // the merges would undo them.
    for (const Placed& cell : placed)
        table->cellAt(cell.row, cell.column).setFormat(cellFormat(cell));
    for (const Placed& cell : placed)
        if (cell.rows > 1 || cell.columns > 1)
            table->mergeCells(cell.row, cell.column, cell.rows, cell.columns);
    for (const Placed& cell : placed)
        if (cell.content)
            fillCell(table->cellAt(cell.row, cell.column).firstCursorPosition(), *cell.content,
                     lists);
    cursor = table->lastCursorPosition();
    cursor.movePosition(QTextCursor::NextBlock);
    cursor.setBlockFormat(QTextBlockFormat{});
    cursor.setBlockCharFormat(QTextCharFormat{});
    blockFree = true;
}

void fillCell(QTextCursor cursor, PendingCell& cell, OpenLists& lists) {
    bool blockFree = true;
    bool cellStart = true;
    lists.endUnnamed();
    for (auto& item : cell.items) {
        if (item.table) {
            buildTable(cursor, blockFree, *item.table, lists);
        } else {
            writeParagraph(cursor, blockFree, item.paragraph, lists, cellStart);
        }
        cellStart = false;
    }
}

} // namespace

void buildTable(QTextCursor& cursor, bool& blockFree, PendingTable& table, OpenLists& lists) {
    // Consecutive rows share a table as long as their edges make a grid of
    // reasonable width.
    std::vector<PendingRow*> rows;
    std::vector<int> grid;
    for (PendingRow& row : table.rows) {
        // Cells beyond what a row may define keep their text in the last one.
        constexpr std::size_t maxCells = 256;
        if (row.cells.size() > maxCells) {
            for (std::size_t i = maxCells; i < row.cells.size(); ++i)
                append(row.cells[maxCells - 1], row.cells[i]);
            row.cells.resize(maxCells);
        }
        if (row.format.cells.size() > maxCells)
            row.format.cells.resize(maxCells);
        const std::vector<int> edges = rowBoundaries(row);
        std::vector<int> merged;
        std::set_union(grid.begin(), grid.end(), edges.begin(), edges.end(),
                       std::back_inserter(merged));
        if (!rows.empty() && merged.size() > maxColumns + 1) {
            buildGrid(cursor, blockFree, rows, grid, lists);
            rows.clear();
            merged = edges;
        }
        grid = std::move(merged);
        rows.push_back(&row);
    }
    if (!rows.empty())
        buildGrid(cursor, blockFree, rows, grid, lists);
    // Lists the file does not name stay inside their cell.
    lists.endUnnamed();
}

} // namespace rtf
