#include "components/rtf/keptrtf.h"

#include "components/rtf/tokenizer.h"

#include <QObject>
#include <QVariant>
#include <array>

namespace rtf {

namespace {

constexpr char kProperty[] = "ferrotabKeptRtf";
constexpr char kNoDefaultFont[] = "ferrotabNoDefaultFont";

bool isOneOf(std::string_view name, const auto& names) {
    for (std::string_view candidate : names)
        if (name == candidate)
            return true;
    return false;
}

constexpr std::array<std::string_view, 8> fontWords = {
    "f", "af", "pnf", "stshfdbch", "stshfloch", "stshfhich", "stshfbi", "deff"};
constexpr std::array<std::string_view, 20> colorWords = {
    "cf",     "cb",      "highlight", "chcbpat",    "chcfpat",      "cbpat",      "cfpat",
    "brdrcf", "clcbpat", "clcfpat",   "clcbpatraw", "clcfpatraw",   "trcbpat",    "trcfpat",
    "ulc",    "pncf",    "chbrdrcf",  "trbrdrcf",   "shpfillcolor", "tscellcbpat"};

} // namespace

QByteArray renumber(std::string_view rtf, const Renumbering& numbers) {
    QByteArray out;
    out.reserve(static_cast<qsizetype>(rtf.size()));
    const auto mappingOf = [&](const Token& token) -> const std::function<int(int)>* {
        if (token.type != TokenType::ControlWord || !token.hasParam)
            return nullptr;
        const std::function<int(int)>* mapping = nullptr;
        if (isOneOf(token.text, fontWords))
            mapping = &numbers.font;
        else if (isOneOf(token.text, colorWords))
            mapping = &numbers.color;
        else if (token.text == "ls")
            mapping = &numbers.list;
        else if (token.text == "listid" || token.text == "listtemplateid" ||
                 token.text == "liststyleid")
            mapping = &numbers.listId;
        return mapping && *mapping ? mapping : nullptr;
    };
    Tokenizer tokenizer(rtf);
    for (Token token = tokenizer.next(); token.type != TokenType::End;) {
        const Token next = tokenizer.next();
        const std::size_t end = next.type == TokenType::End ? rtf.size() : next.offset;
        const std::string_view span = rtf.substr(token.offset, end - token.offset);
        if (const std::function<int(int)>* mapping = mappingOf(token)) {
            // "\name", the digits, then the delimiter and whatever else the span holds.
            std::size_t digits = 1 + token.text.size();
            if (digits < span.size() && span[digits] == '-')
                ++digits;
            while (digits < span.size() && span[digits] >= '0' && span[digits] <= '9')
                ++digits;
            out += '\\';
            out.append(token.text.data(), static_cast<qsizetype>(token.text.size()));
            out += QByteArray::number((*mapping)(token.param));
            out.append(span.data() + digits, static_cast<qsizetype>(span.size() - digits));
        } else {
            out.append(span.data(), static_cast<qsizetype>(span.size()));
        }
        token = next;
    }
    return out;
}

QString hyperlinkTarget(const QByteArray& instruction) {
    // The instruction's text: its words and groups stripped.
    QByteArray text;
    Tokenizer tokenizer(
        std::string_view(instruction.constData(), static_cast<std::size_t>(instruction.size())));
    for (Token token = tokenizer.next(); token.type != TokenType::End; token = tokenizer.next()) {
        if (token.type == TokenType::Text)
            text.append(token.text.data(), static_cast<qsizetype>(token.text.size()));
        else if (token.type == TokenType::HexByte)
            text.append(static_cast<char>(token.param));
        else if (token.type == TokenType::ControlSymbol && token.text.find_first_of("\\{}") == 0)
            text.append(token.text.front()); // an escaped \, { or }
    }
    const QString words = QString::fromLatin1(text).trimmed();
    if (!words.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return {};
    QString rest = words.mid(9).trimmed();
    // Switches such as \l "anchor" come first at times; one with nothing
    // after it leaves no target.
    while (rest.startsWith(QLatin1Char('\\'))) {
        const qsizetype space = rest.indexOf(QLatin1Char(' '));
        rest = space < 0 ? QString() : rest.mid(space + 1).trimmed();
    }
    if (rest.startsWith(QLatin1Char('"')))
        return rest.mid(1, rest.indexOf(QLatin1Char('"'), 1) - 1);
    return rest.section(QLatin1Char(' '), 0, 0);
}

KeptRtfList keptRtfOf(const QObject& document) {
    return document.property(kProperty).value<KeptRtfList>();
}

void setKeptRtf(QObject& document, const KeptRtfList& kept) {
    document.setProperty(kProperty, kept.isEmpty() ? QVariant() : QVariant::fromValue(kept));
}

bool namesDefaultFont(const QObject& document) {
    return !document.property(kNoDefaultFont).toBool();
}

void setNamesDefaultFont(QObject& document, bool names) {
    document.setProperty(kNoDefaultFont, names ? QVariant() : QVariant(true));
}

void copyKept(const QObject& from, QObject& to) {
    for (const char* name : {kProperty, kNoDefaultFont})
        to.setProperty(name, from.property(name));
}

void clearKept(QObject& document) {
    for (const char* name : {kProperty, kNoDefaultFont})
        document.setProperty(name, QVariant());
}

} // namespace rtf
