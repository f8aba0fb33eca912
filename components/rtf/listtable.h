#pragma once

#include "components/rtf/documentsink.h"

#include <unordered_map>
#include <vector>

namespace rtf {

// A number as a list of that kind counts it: "4", "d", "D", "iv", "IV"
// (roman from 1 to 3999; beyond, and below 1, the digits).
QString listNumberText(ListKind kind, int number);

// Word's lists: \listtable defines lists by \listid with up to nine levels,
// \listoverridetable maps the paragraphs' \lsN onto them. Only what a level
// shows (bullet, or which numbering) is kept.
class ListTable {
public:
    void beginList();
    void setListId(int id);
    void beginLevel();
    void setLevelNumbering(int nfc);

    void beginOverride();
    void setOverrideListId(int id);
    void setOverrideNumber(int ls);

    bool knows(int ls) const;
    // The kind that level shows; None for a level without a number or bullet.
    ListKind kind(int ls, int level) const;

private:
    struct List {
        int id = 0;
        std::vector<ListKind> levels;
    };
    struct Override {
        int listId = 0;
        int ls = 0;
    };
    void commitOverride();

    std::vector<List> lists_;
    std::unordered_map<int, int> overrides_; // \ls number to \listid
    bool inOverride_ = false;
    Override override_;
};

} // namespace rtf
