#include "components/rtf/rtfwriter.h"

#include "components/rtf/controlwords.h"
#include "components/rtf/qtformats.h"

#include <QTextBlock>
#include <QTextList>
#include <algorithm>

namespace rtf {
namespace {

int numberingCode(ListKind kind) {
    switch (kind) {
    case ListKind::Bullet:
        return 23;
    case ListKind::UpperRoman:
        return 1;
    case ListKind::LowerRoman:
        return 2;
    case ListKind::UpperAlpha:
        return 3;
    case ListKind::LowerAlpha:
        return 4;
    default:
        return 0;
    }
}

int listLevel(const QTextList* list) {
    return std::clamp(list->format().indent() - 1, 0, 8);
}

// The bullet a list's style draws.
char16_t bulletOf(const QTextListFormat& format) {
    switch (format.style()) {
    case QTextListFormat::ListCircle:
        return u'\u25E6';
    case QTextListFormat::ListSquare:
        return u'\u25AA';
    default:
        return u'\u2022';
    }
}

// The text around a list's number; Qt shows "." after it unless told otherwise.
QString numberPrefix(const QTextListFormat& format) {
    return format.hasProperty(QTextFormat::ListNumberPrefix) ? format.numberPrefix() : QString();
}
QString numberSuffix(const QTextListFormat& format) {
    return format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix()
                                                             : QStringLiteral(".");
}

} // namespace

int Writer::listNumber(QTextList* list) {
    int number = listNumbers_.value(list);
    // A list gone since may have left its address to a new one.
    if (number == 0 || lists_[static_cast<std::size_t>(number - 1)].list != list) {
        lists_.push_back({list, {}, {}});
        number = static_cast<int>(lists_.size());
        listNumbers_.insert(list, number);
    }
    WrittenList& written = lists_[static_cast<std::size_t>(number - 1)];
    written.kind = listKindOf(list);
    written.format = list->format();
    return number;
}

void Writer::listTables() {
    if (lists_.empty())
        return;
    out_.raw("{\\*");
    out_.word("listtable");
    out_.endLine();
    for (std::size_t n = 0; n < lists_.size(); ++n) {
        const ListKind kind = lists_[n].kind;
        const QTextListFormat& format = lists_[n].format;
        // \leveltext is its length, then the label with the level's number
        // as the byte of the level.
        const QString prefix = numberPrefix(format).left(20);
        const QString suffix = numberSuffix(format).left(20);
        out_.raw("{");
        out_.word("list");
        out_.word("listtemplateid", static_cast<int>(n + 1));
        out_.word("listsimple", 0);
        for (int level = 0; level < 9; ++level) {
            out_.raw("{");
            out_.word("listlevel");
            out_.word("levelnfc", numberingCode(kind));
            out_.word("levelnfcn", numberingCode(kind));
            out_.word("leveljc", 0);
            out_.word("levelfollow", 0);
            out_.word("levelstartat", 1);
            out_.raw("{\\leveltext");
            if (kind == ListKind::Bullet) {
                out_.raw("\\'01");
                out_.text(QString(QChar(bulletOf(format))));
                out_.raw(";}{\\levelnumbers;}");
            } else {
                const auto hexByte = [](int value) {
                    static constexpr char digits[] = "0123456789abcdef";
                    return std::string{'\\', '\'', digits[value >> 4], digits[value & 15]};
                };
                out_.raw(hexByte(static_cast<int>(prefix.size() + 1 + suffix.size())));
                out_.text(prefix);
                out_.raw(hexByte(level));
                out_.text(suffix);
                out_.raw(";}{\\levelnumbers" + hexByte(static_cast<int>(prefix.size() + 1)) + ";}");
            }
            out_.word("fi", -360);
            out_.word("li", 720 * (level + 1));
            out_.raw("}");
            out_.endLine();
        }
        out_.word("listid", static_cast<int>(n + 1));
        out_.raw("}");
        out_.endLine();
    }
    out_.raw("}{\\*");
    out_.word("listoverridetable");
    for (std::size_t n = 0; n < lists_.size(); ++n) {
        out_.raw("{");
        out_.word("listoverride");
        out_.word("listid", static_cast<int>(n + 1));
        out_.word("listoverridecount", 0);
        out_.word("ls", static_cast<int>(n + 1));
        out_.raw("}");
    }
    out_.raw("}");
    out_.endLine();
}

void Writer::listParagraph(const QTextBlock& block, QTextList* list) {
    const int number = listNumber(list);
    const ListKind kind = lists_[static_cast<std::size_t>(number - 1)].kind;
    out_.word("ls", number);
    out_.word("ilvl", listLevel(list));
    // The marker as text, for readers that know no lists: one fallback only,
    // so that no reader shows the marker twice.
    out_.raw("{");
    out_.word("listtext");
    if (kind == ListKind::Bullet)
        out_.text(QString(QChar(bulletOf(list->format()))));
    else
        out_.text(list->itemText(block));
    out_.word("tab");
    out_.raw("}");
    // No older \pn form beside it: LibreOffice then reads every numbered
    // item as a bullet.
}

} // namespace rtf
