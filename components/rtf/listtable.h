#pragma once

#include "components/rtf/documentsink.h"

#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace rtf {

// A level's number format (\levelnfc) and the kind of list that shows it,
// both ways: every format the editor cannot show counts as decimal.
ListKind listKindOfNumbering(int nfc);
int numberingOf(ListKind kind);

// A number as a list of that kind counts it: "4", "d", "D", "iv", "IV"
// (roman from 1 to 3999; beyond, and below 1, the digits).
QString listNumberText(ListKind kind, int number);

// How list items number, as Word and LibreOffice count them. Items of a
// named list (a listId other than 0) count on across other paragraphs and
// tables; an item ends the levels below its own, whose items count from 1
// again under it. A list the file does not name ends at the first paragraph
// outside lists, and at a table's edge. Items of one level that look
// otherwise (another kind, bullet or text) count apart.
class ListNumbering {
public:
    struct Item {
        int list = 0;  // which run of counting the item is in, from 0 in order of first use
        int count = 1; // its place in that run, from 1
    };
    // A paragraph, in document order; list paragraphs get their place.
    std::optional<Item> add(const ParagraphFormat& format);
    // A table or a cell begins or ends.
    void endUnnamed();
    // The label of the item just added: its level's text with the numbers of
    // the levels above in their places, and its own number. fromStart counts
    // from each level's start (\levelstartat) as Word does, else from 1.
    QString label(const ParagraphFormat& format, const Item& item, bool fromStart) const;
    // The numbers of the last items of the levels above the item just added,
    // levels 0 to its own less one; "1" where none came yet.
    QStringList numbersAbove(const ParagraphFormat& format, bool fromStart) const;

private:
    // The last item of a level: kind, count and start.
    struct Last {
        ListKind kind = ListKind::Decimal;
        int count = 1;
        int start = 1;
    };
    // What counts in one list, per level: the runs open by their look, and
    // the last item.
    using Look = std::tuple<ListKind, BulletShape, QString, QString>;
    struct Counting {
        std::array<std::map<Look, Item>, 9> open;
        std::array<std::optional<Last>, 9> last;
    };
    std::unordered_map<int, Counting> counting_; // by listId
    int runs_ = 0;
};

// A label's prefix as it shows: each of the characters 0 to 8 that stand for
// a level's number replaced by that number ("1" where none is given).
QString withLevelNumbers(const QString& prefix, const QStringList& numbers);

// The characters of a \leveltext kept, its length first: a label of a
// level never holds more than one less.
constexpr qsizetype maxLevelText = 64;

// Word's lists: \listtable defines lists by \listid with up to nine levels,
// \listoverridetable maps the paragraphs' \lsN onto them. What a level
// shows (bullet, or which numbering) is read; its other words are kept.
class ListTable {
public:
    // groupAt: where the group that the word opens begins in the file.
    void beginList(std::size_t groupAt);
    void setListId(int id);
    void beginLevel();
    void setLevelNumbering(int nfc);
    void setLevelStart(int start);
    enum class Indent { Left, First };
    void setLevelIndent(Indent which, int twips);
    void setLevelFollow(int follow);
    // A word of the level that the editor does not show.
    void keepLevelWord(std::string_view name, bool hasParam, int param);
    // A word of the whole list (\listhybrid), and its name group as the
    // file wrote it: kept for the list written afresh.
    void keepListWord(std::string_view name, bool hasParam, int param);
    void setListName(const std::string& group);
    // Text of the level's \leveltext: its length, then the label with the
    // levels' numbers as the characters 0 to 8.
    void appendLevelText(QStringView text);

    void beginOverride(std::size_t groupAt);
    void setOverrideListId(int id);
    void setOverrideNumber(int ls);
    // An override's \lfolevel, one per level in order, and the number its
    // items start at (\listoverridestartat\levelstartatN): Word restarts a
    // list so.
    void beginOverrideLevel();
    void setOverrideStart(int start);

    // The list or override whose group is open is not to be kept whole.
    void spoilOpenGroups();
    // A group of the tables ended: the one of the list or override being
    // read keeps its RTF, as the file wrote it.
    void endGroup(std::size_t groupAt, const std::function<std::string()>& rtf);
    // What to keep whole of the tables, in the file's order: the overrides
    // whose \ls no paragraph shows (shown) or that RTF kept elsewhere names
    // (named), the lists these name, and the lists no shown \ls names. A
    // style, a header or a note may name them; the paragraphs' own lists are
    // written afresh.
    struct Groups {
        std::vector<std::string> lists, overrides;
    };
    Groups unshown(const std::unordered_set<int>& shown,
                   const std::unordered_set<int>& named) const;

    bool knows(int ls) const;
    // The kind that level shows; None for a level without a number or bullet.
    ListKind kind(int ls, int level) const;
    // The bullet or the text around the number that level shows, with the
    // numbers of the levels above it (1.1.) that the file puts in front.
    ListLabel label(int ls, int level) const;

private:
    struct Level {
        ListKind kind = ListKind::Decimal;
        int numbering = 0; // \levelnfc
        int follow = 0;
        std::string words;
        QString text; // \leveltext as read
        int start = 1;
        std::optional<int> left, first;
    };
    struct List {
        int id = 0;
        std::vector<Level> levels;
        std::string words, name;
        std::size_t groupAt = 0;
        std::string rtf;
    };
    const List* list(int ls) const;
    const Level* level(int ls, int level) const;
    struct Override {
        int listId = 0;
        int ls = 0;
        int levels = 0; // the \lfolevel groups begun
        std::array<std::optional<int>, 9> starts;
        std::size_t groupAt = 0;
        std::string rtf;
    };
    void commitOverride();

    std::vector<List> lists_;
    std::unordered_map<int, int> overrides_; // \ls number to \listid
    std::unordered_map<int, std::array<std::optional<int>, 9>> overrideStarts_; // by \ls
    bool inOverride_ = false;
    Override override_;
    std::vector<Override> overrideGroups_; // each as read, in the file's order
};

} // namespace rtf
