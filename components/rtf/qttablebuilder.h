#pragma once

#include "components/rtf/qtsink.h"

namespace rtf {

// One paragraph at the cursor: into the cursor's block when blockFree (the
// block holds nothing yet), else into a new block after it. cellStart: the
// cursor's block is the first of a table cell.
void writeParagraph(QTextCursor& cursor, bool& blockFree,
                    const QtDocumentSink::PendingParagraph& paragraph, OpenLists& lists,
                    bool cellStart = false);

// The table after the cursor's block (which stays before it, empty when it was
// free), its cells filled; the cursor then stands in the free block after it.
void buildTable(QTextCursor& cursor, bool& blockFree, QtDocumentSink::PendingTable& table,
                OpenLists& lists);

} // namespace rtf
