#pragma once

#include "components/rtf/documentsink.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace rtf {

// A number as a list of that kind counts it: "4", "d", "D", "iv", "IV"
// (roman from 1 to 3999; beyond, and below 1, the digits).
QString listNumberText(ListKind kind, int number);

// The characters of a \leveltext kept, its length first: a label of a
// level never holds more than one less.
constexpr qsizetype maxLevelText = 64;

// Word's lists: \listtable defines lists by \listid with up to nine levels,
// \listoverridetable maps the paragraphs' \lsN onto them. Only what a level
// shows (bullet, or which numbering) is kept.
class ListTable {
public:
    void beginList();
    void setListId(int id);
    void beginLevel();
    void setLevelNumbering(int nfc);
    void setLevelStart(int start);
    enum class Indent { Left, First };
    void setLevelIndent(Indent which, int twips);
    // Text of the level's \leveltext: its length, then the label with the
    // levels' numbers as the characters 0 to 8.
    void appendLevelText(QStringView text);

    void beginOverride();
    void setOverrideListId(int id);
    void setOverrideNumber(int ls);

    bool knows(int ls) const;
    // The kind that level shows; None for a level without a number or bullet.
    ListKind kind(int ls, int level) const;
    // The bullet or the text around the number that level shows, with the
    // numbers of the levels above it (1.1.) that the file puts in front.
    ListLabel label(int ls, int level) const;

private:
    struct Level {
        ListKind kind = ListKind::Decimal;
        QString text; // \leveltext as read
        int start = 1;
        std::optional<int> left, first;
    };
    struct List {
        int id = 0;
        std::vector<Level> levels;
    };
    const Level* level(int ls, int level) const;
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
