#include "components/rtf/rtfwriter.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/qtformats.h"

#include <QTextTable>

namespace rtf {

void Writer::cellBorders(const CellFormat& cell) {
    const std::pair<std::string_view, const CellBorder*> sides[] = {
        {"clbrdrt", &cell.top},
        {"clbrdrl", &cell.left},
        {"clbrdrb", &cell.bottom},
        {"clbrdrr", &cell.right},
    };
    static constexpr std::string_view styles[] = {"", "brdrs", "brdrdb", "brdrdot", "brdrdash"};
    for (const auto& [word, border] : sides) {
        if (border->width <= 0 || border->style == BorderStyle::None)
            continue;
        out_.word(word);
        out_.word(styles[static_cast<int>(border->style)]);
        out_.word("brdrw", border->width);
        if (const int color = tables_.colorNumber(border->color))
            out_.word("brdrcf", color);
    }
}

void Writer::rowDefinition(const RowFormat& row) {
    out_.word("trowd");
    if (!row.cells.empty()) {
        out_.word("trgaph", row.gap);
        out_.word("trleft", row.left);
        if (row.alignment == Alignment::Center)
            out_.word("trqc");
        else if (row.alignment == Alignment::Right)
            out_.word("trqr");
    }
    for (const CellFormat& cell : row.cells) {
        if (cell.verticalMergeFirst)
            out_.word("clvmgf");
        else if (cell.verticalMerged)
            out_.word("clvmrg");
        if (cell.alignment == CellAlignment::Center)
            out_.word("clvertalc");
        else if (cell.alignment == CellAlignment::Bottom)
            out_.word("clvertalb");
        cellBorders(cell);
        if (const int background = tables_.colorNumber(cell.background))
            out_.word("clcbpat", background);
        out_.word("cellx", cell.rightEdge);
    }
    out_.endLine();
}

void Writer::table(const QTextTable* table, int depth) {
    const std::vector<int> grid = tableGridOf(table);
    const std::string_view cellEnd = depth > 1 ? "nestcell" : "cell";
    for (int r = 0; r < table->rows(); ++r) {
        // Word and LibreOffice want the definition of an outer row before its
        // cells, and a nested row's inside \nesttableprops after them.
        if (depth == 1)
            rowDefinition(rowFormatOf(table, r, grid));
        for (int c = 0; c < table->columns(); ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.column() != c || isFillerCell(cell))
                continue;
            if (cell.row() != r) {
                // The lower part of a vertically merged cell holds nothing.
                out_.word("pard");
                out_.word("intbl");
                if (depth > 1)
                    out_.word("itap", depth);
                out_.word(cellEnd);
                out_.endLine();
                continue;
            }
            frameContent(cell.begin(), depth, cellEnd);
        }
        if (depth == 1) {
            out_.word("row");
        } else {
            out_.raw("{\\*");
            out_.word("nesttableprops");
            rowDefinition(rowFormatOf(table, r, grid));
            out_.word("nestrow");
            out_.raw("}{");
            out_.word("nonesttables");
            out_.word("par");
            out_.raw("}");
        }
        out_.endLine();
    }
}

} // namespace rtf
