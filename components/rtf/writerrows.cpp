#include "components/rtf/rtfwriter.h"

#include "components/rtf/controlwords.h"

namespace rtf {

void Writer::cellBorders(RtfOutput& out, const CellFormat& cell) {
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
        out.word(word);
        out.word(styles[static_cast<int>(border->style)]);
        out.word("brdrw", border->width);
        if (const int color = tables_.colorNumber(border->color))
            out.word("brdrcf", color);
    }
}

void Writer::rowDefinition(RtfOutput& out, const RowFormat& row) {
    out.word("trowd");
    if (!row.cells.empty()) {
        out.word("trgaph", row.gap);
        out.word("trleft", row.left);
        if (row.alignment == Alignment::Center)
            out.word("trqc");
        else if (row.alignment == Alignment::Right)
            out.word("trqr");
    }
    for (const CellFormat& cell : row.cells) {
        if (cell.verticalMergeFirst)
            out.word("clvmgf");
        else if (cell.verticalMerged)
            out.word("clvmrg");
        if (cell.alignment == CellAlignment::Center)
            out.word("clvertalc");
        else if (cell.alignment == CellAlignment::Bottom)
            out.word("clvertalb");
        cellBorders(out, cell);
        if (const int background = tables_.colorNumber(cell.background))
            out.word("clcbpat", background);
        out.word("cellx", cell.rightEdge);
    }
    out.endLine();
}

} // namespace rtf
