// The reader's table rows: row and cell definitions, borders, and the ends
// of cells and rows.
#include "components/rtf/reader.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/units.h"

#include <algorithm>
#include <utility>

namespace rtf {

CellBorder* Reader::borderTarget() {
    switch (borderSide_) {
    case 0:
        return &pendingCell_.top;
    case 1:
        return &pendingCell_.left;
    case 2:
        return &pendingCell_.bottom;
    case 3:
        return &pendingCell_.right;
    default:
        return nullptr;
    }
}

void Reader::rowControl(const ControlInfo& info, int value) {
    ParaState& para = state().para;
    RowFormat& row = rowDefinitions_[static_cast<std::size_t>(definitionDepth_)];
    switch (info.control) {
    case Control::InTable:
        para.inTable = true;
        break;
    case Control::NestingLevel:
        para.nesting = value;
        break;
    case Control::RowDefaults: {
        int depth = 1;
        if (state().nestedRowDefinition)
            depth = std::max(2, tableDepth(para));
        definitionDepth_ = depth;
        rowDefinitions_[static_cast<std::size_t>(depth)] = RowFormat{};
        pendingCell_ = CellFormat{};
        borderSide_ = -1;
        break;
    }
    case Control::RowGap:
        row.gap = value;
        break;
    case Control::RowLeft:
        row.left = value;
        break;
    case Control::RowAlign:
        row.alignment = static_cast<Alignment>(info.value);
        break;
    case Control::CellEdge:
        pendingCell_.rightEdge = value;
        if (row.cells.size() < maxRowCells)
            row.cells.push_back(pendingCell_);
        pendingCell_ = CellFormat{};
        borderSide_ = -1;
        break;
    case Control::CellMergeFirst:
        pendingCell_.mergeFirst = true;
        break;
    case Control::CellMerged:
        pendingCell_.merged = true;
        break;
    case Control::CellVerticalMergeFirst:
        pendingCell_.verticalMergeFirst = true;
        break;
    case Control::CellVerticalMerged:
        pendingCell_.verticalMerged = true;
        break;
    case Control::CellBackground:
        if (value > 0)
            pendingCell_.background = colors_.color(value);
        break;
    case Control::CellAlign:
        pendingCell_.alignment = static_cast<CellAlignment>(info.value);
        break;
    case Control::CellBorder:
        borderSide_ = info.value;
        // A side named again starts over; without a style word it shows no line.
        if (CellBorder* border = borderTarget())
            *border = CellBorder{};
        break;
    case Control::OtherBorder:
        borderSide_ = -1;
        break;
    case Control::BorderStyle:
        if (CellBorder* border = borderTarget())
            border->style = static_cast<BorderStyle>(info.value);
        break;
    case Control::BorderWidth:
        if (CellBorder* border = borderTarget())
            border->width = value;
        break;
    case Control::BorderColor:
        if (CellBorder* border = borderTarget())
            border->color = colors_.color(value);
        break;
    default:
        break;
    }
}

int Reader::tableDepth(const ParaState& para) const {
    if (para.nesting >= 0)
        return std::min(para.nesting, maxTableDepth);
    return para.inTable ? 1 : 0;
}

void Reader::endCell(int depth) {
    endParagraph(depth, depth);
    sink_.endCell(depth);
}

void Reader::endRow(int depth) {
    shapeContent();
    // Text after the last \cell still belongs to the row: keep it as a cell.
    if (paragraphHasContent_)
        endCell(depth);
    sink_.endRow(rowDefinitions_[static_cast<std::size_t>(depth)], depth);
    ++shown_;
}

} // namespace rtf
