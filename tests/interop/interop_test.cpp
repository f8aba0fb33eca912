#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <thread>
#include <utility>

// What other programs read from a file Ferrotab saved must be what they read
// from the original. Every file of a corpus is opened and saved with
// ferrotab-rtf convert (the editor's Open and Save); LibreOffice then reads the
// original and our file, as text and as flat XML (bold, italic, underline,
// strike-through, raised and lowered text, size), and pandoc reads both too.
// A file that disagrees fails the test unless expected-differences.txt names
// it with its reason.

namespace {

const QString projectRoot = QStringLiteral(INTEROP_PROJECT_ROOT);

// ---------------------------------------------------------------------------
// Running the programs

struct Run {
    bool ok = false;
    QByteArray out;
    QString error; // why it failed, for the report
};

Run run(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {false, {}, QStringLiteral("%1 did not start").arg(program)};
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {false, {}, QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000)};
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {false, {}, QStringLiteral("crashed")};
    if (process.exitCode() != 0) {
        const QString err = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return {
            false, {}, QStringLiteral("exit %1: %2").arg(process.exitCode()).arg(err.right(200))};
    }
    return {true, process.readAllStandardOutput(), {}};
}

// Runs work(i) for every i below n on `threads` threads.
void inParallel(int n, int threads, const std::function<void(int)>& work) {
    std::atomic<int> next{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            for (int i; (i = next++) < n;)
                work(i);
        });
    for (std::thread& thread : pool)
        thread.join();
}

QString program(const char* name) {
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// LibreOffice converts every file into outDir as NAME.<extension of format>.
// One soffice start costs seconds and loads many files, but it quits without
// a word after some 250 documents, and a file it cannot load leaves no output
// either: so convert in batches, and start again after the last file that came
// out until every file is converted or has been tried at the head of a run.
void convertWithLibreOffice(const QStringList& files, const QString& format, const QString& outDir,
                            const QString& profile) {
    const QString extension = format.section(QLatin1Char(':'), 0, 0);
    const auto converted = [&](const QString& file) {
        return QFile::exists(outDir + QLatin1Char('/') + QFileInfo(file).completeBaseName() +
                             QLatin1Char('.') + extension);
    };
    QStringList pending = files;
    while (!pending.isEmpty()) {
        const QStringList batch = pending.mid(0, 150);
        // timeout(1) ends soffice's whole process group, not only the script.
        run(QStringLiteral("timeout"),
            QStringList{
                QStringLiteral("-k"), QStringLiteral("10"), QStringLiteral("600"),
                program("soffice"),
                QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(),
                QStringLiteral("--headless"), QStringLiteral("--norestore"),
                QStringLiteral("--convert-to"), format, QStringLiteral("--outdir"), outDir} +
                batch,
            620000);
        qsizetype last = batch.size() - 1;
        while (last >= 0 && !converted(batch[last]))
            --last;
        // Nothing came out: the first file stopped the run, so leave it out.
        pending.remove(0, last >= 0 ? last + 1 : 1);
    }
}

// ---------------------------------------------------------------------------
// Text

// The lines of LibreOffice's text export without the byte-order mark,
// trailing blanks and empty lines: an empty paragraph more or less (a page
// break, the end of the document) is no difference in the text. The export
// writes each of several spaces in a row as U+2006 and a space, in some fonts
// but not in others; which font the spaces have is no matter of text either.
QStringList lines(QString text) {
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.remove(QLatin1Char('\r'));
    text.replace(QStringLiteral("\u2006 "), QStringLiteral(" "));
    QStringList result;
    static const QRegularExpression trailing(QStringLiteral("[ \t]+$"));
    for (QString& line : text.split(QLatin1Char('\n')))
        if (!line.remove(trailing).isEmpty())
            result << line;
    return result;
}

// How far one reading is from another: the words either has more of.
qsizetype wordDistance(const QStringList& a, const QStringList& b) {
    std::map<QString, qsizetype> count;
    for (const QString& line : a)
        for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            ++count[word];
    for (const QString& line : b)
        for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            --count[word];
    qsizetype distance = 0;
    for (const auto& [word, n] : count)
        distance += std::abs(n);
    return distance;
}

// A line cut to 100 characters from `from` on, marked where it is cut.
QString shortLine(const QString& line, qsizetype from = 0) {
    from = std::min(from, line.size());
    return (from > 0 ? QStringLiteral("...") : QString()) + line.mid(from, 100) +
           (line.size() > from + 100 ? QStringLiteral("...") : QString());
}

// The lines where two texts part, as a unified diff shows them, at most three
// of each side, from a little before the first character that differs.
QString shortDiff(const QStringList& original, const QStringList& saved) {
    qsizetype start = 0;
    while (start < original.size() && start < saved.size() && original[start] == saved[start])
        ++start;
    qsizetype endA = original.size(), endB = saved.size();
    while (endA > start && endB > start && original[endA - 1] == saved[endB - 1])
        --endA, --endB;
    qsizetype column = 0;
    if (start < endA && start < endB) {
        const QString &a = original[start], &b = saved[start];
        while (column < a.size() && column < b.size() && a[column] == b[column])
            ++column;
    }
    column = std::max<qsizetype>(0, column - 40);
    QString diff = QStringLiteral("      @@ line %1\n").arg(start + 1);
    for (qsizetype i = start; i < std::min(endA, start + 3); ++i)
        diff += QStringLiteral("      - %1\n").arg(shortLine(original[i], column));
    for (qsizetype i = start; i < std::min(endB, start + 3); ++i)
        diff += QStringLiteral("      + %1\n").arg(shortLine(saved[i], column));
    return diff;
}

// ---------------------------------------------------------------------------
// Formats, from LibreOffice's flat XML

// The character formats compared, as LibreOffice resolves them for each
// character: its paragraph's style, then every span around it.
struct Chars {
    bool bold = false, italic = false, underline = false, strike = false;
    int position = 0; // 1 raised, -1 lowered
    double size = 0;
    bool operator==(const Chars&) const = default;
};

struct TextProperties {
    std::optional<bool> bold, italic, underline, strike;
    std::optional<int> position;
    std::optional<double> size;

    // Fills what this style leaves open from a style further out.
    void inherit(const TextProperties& outer) {
        if (!bold)
            bold = outer.bold;
        if (!italic)
            italic = outer.italic;
        if (!underline)
            underline = outer.underline;
        if (!strike)
            strike = outer.strike;
        if (!position)
            position = outer.position;
        if (!size)
            size = outer.size;
    }
};

TextProperties textProperties(const QXmlStreamAttributes& a) {
    TextProperties p;
    if (a.hasAttribute(QLatin1String("fo:font-weight"))) {
        const auto weight = a.value(QLatin1String("fo:font-weight"));
        p.bold = weight == u"bold" || weight.toInt() >= 600;
    }
    if (a.hasAttribute(QLatin1String("fo:font-style")))
        p.italic = a.value(QLatin1String("fo:font-style")) != u"normal";
    if (a.hasAttribute(QLatin1String("style:text-underline-style")))
        p.underline = a.value(QLatin1String("style:text-underline-style")) != u"none";
    if (a.hasAttribute(QLatin1String("style:text-line-through-style")))
        p.strike = a.value(QLatin1String("style:text-line-through-style")) != u"none";
    if (a.hasAttribute(QLatin1String("style:text-position"))) {
        // "super 58%", "sub 58%" or an offset: "33% 58%", "-33% 58%", "0% 100%".
        const QString value = a.value(QLatin1String("style:text-position")).toString();
        const QString offset = value.section(QLatin1Char(' '), 0, 0);
        const double percent = offset.chopped(offset.endsWith(QLatin1Char('%'))).toDouble();
        p.position = offset == u"super" ? 1 : offset == u"sub" ? -1 : (percent > 0) - (percent < 0);
    }
    const auto size = a.value(QLatin1String("fo:font-size"));
    if (size.endsWith(u"pt"))
        p.size = size.chopped(2).toDouble();
    return p;
}

struct Paragraph {
    QString text;
    std::vector<Chars> chars;
};

// The paragraphs of the body (table cells and text boxes too) with the
// resolved formats of each character. Notes are left out: their numbers are
// the text check's business, and with them the paragraph's formats compare.
class FlatXml {
public:
    explicit FlatXml(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                if (xml.qualifiedName() == u"style:style" ||
                    xml.qualifiedName() == u"style:default-style")
                    readStyle(xml);
                else if (xml.qualifiedName() == u"office:text")
                    readBody(xml);
            }
        }
        valid = !xml.hasError();
    }

    bool valid = false;
    std::vector<Paragraph> paragraphs;

private:
    struct Style {
        QString parent;
        TextProperties properties;
    };
    // Paragraph and text styles, by family; "" holds a family's default style.
    std::map<QString, std::map<QString, Style>> styles;

    void readStyle(QXmlStreamReader& xml) {
        const QXmlStreamAttributes a = xml.attributes();
        Style& style = styles[a.value(QLatin1String("style:family")).toString()]
                             [a.value(QLatin1String("style:name")).toString()];
        style.parent = a.value(QLatin1String("style:parent-style-name")).toString();
        while (xml.readNextStartElement()) {
            if (xml.qualifiedName() == u"style:text-properties")
                style.properties = textProperties(xml.attributes());
            xml.skipCurrentElement();
        }
    }

    // A style with what its parents and its family's default give it.
    TextProperties resolved(const QString& family, QString name) const {
        TextProperties result;
        const auto found = styles.find(family);
        if (found == styles.end())
            return result;
        const auto& byName = found->second;
        for (int depth = 0; depth < 32 && !name.isEmpty(); ++depth) {
            const auto style = byName.find(name);
            if (style == byName.end())
                break;
            result.inherit(style->second.properties);
            name = style->second.parent;
        }
        if (const auto fallback = byName.find(QString()); fallback != byName.end())
            result.inherit(fallback->second.properties);
        return result;
    }

    // One entry per open element: the style it applies, if any.
    struct Open {
        enum { Other, Paragraph, Span } kind;
        QString style;
    };

    Chars current(const std::vector<Open>& open) const {
        TextProperties p;
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            if (it->kind == Open::Span)
                p.inherit(resolved(QStringLiteral("text"), it->style));
            if (it->kind == Open::Paragraph) {
                p.inherit(resolved(QStringLiteral("paragraph"), it->style));
                break;
            }
        }
        return {p.bold.value_or(false),   p.italic.value_or(false), p.underline.value_or(false),
                p.strike.value_or(false), p.position.value_or(0),   p.size.value_or(0)};
    }

    void readBody(QXmlStreamReader& xml) {
        std::vector<Open> open;
        std::vector<Paragraph> inside; // paragraphs still open: a text box sits in one
        const auto add = [&](const QString& text) {
            if (inside.empty())
                return;
            const Chars chars = current(open);
            inside.back().text += text;
            inside.back().chars.insert(inside.back().chars.end(), text.size(), chars);
        };
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                const auto name = xml.qualifiedName();
                const QString style =
                    xml.attributes().value(QLatin1String("text:style-name")).toString();
                if (name == u"text:note") {
                    xml.skipCurrentElement();
                    continue;
                }
                if (name == u"text:p" || name == u"text:h") {
                    open.push_back({Open::Paragraph, style});
                    inside.emplace_back();
                    continue;
                }
                open.push_back(
                    {name == u"text:span" || name == u"text:a" ? Open::Span : Open::Other, style});
                if (name == u"text:s")
                    add(QString(
                        std::max(1, xml.attributes().value(QLatin1String("text:c")).toInt()),
                        QLatin1Char(' ')));
                else if (name == u"text:tab")
                    add(QStringLiteral("\t"));
                else if (name == u"text:line-break")
                    add(QStringLiteral("\n"));
            } else if (xml.isEndElement()) {
                if (open.empty())
                    return; // the end of office:text
                if (open.back().kind == Open::Paragraph) {
                    paragraphs.push_back(std::move(inside.back()));
                    inside.pop_back();
                }
                open.pop_back();
            } else if (xml.isCharacters()) {
                add(xml.text().toString());
            }
        }
    }
};

struct FormatComparison {
    qsizetype characters = 0; // compared: in paragraphs of the same text on both sides
    qsizetype differing = 0;
    QString example;
};

QString describe(const Chars& c) {
    QStringList parts;
    if (c.bold)
        parts << QStringLiteral("bold");
    if (c.italic)
        parts << QStringLiteral("italic");
    if (c.underline)
        parts << QStringLiteral("underline");
    if (c.strike)
        parts << QStringLiteral("strike");
    if (c.position)
        parts << (c.position > 0 ? QStringLiteral("raised") : QStringLiteral("lowered"));
    if (c.size)
        parts << QStringLiteral("%1pt").arg(c.size);
    return parts.isEmpty() ? QStringLiteral("plain") : parts.join(QLatin1Char(' '));
}

// Compares the characters of paragraphs whose text agrees. Where the texts
// part (the text check reports that), the walk looks a few paragraphs ahead on
// either side for the next paragraph both share.
FormatComparison compareFormats(const std::vector<Paragraph>& a, const std::vector<Paragraph>& b) {
    FormatComparison result;
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].text != b[j].text) {
            size_t k = 1;
            for (; k <= 20; ++k) {
                if (i + k < a.size() && a[i + k].text == b[j].text) {
                    i += k;
                    break;
                }
                if (j + k < b.size() && a[i].text == b[j + k].text) {
                    j += k;
                    break;
                }
            }
            if (k > 20) {
                ++i, ++j;
                continue;
            }
        }
        const Paragraph& p = a[i];
        for (qsizetype c = 0; c < p.text.size(); ++c) {
            if (p.text[c].isSpace())
                continue;
            ++result.characters;
            if (p.chars[c] == b[j].chars[c])
                continue;
            if (result.differing++ == 0)
                result.example = QStringLiteral("      \"%1\" at \"%2\": %3 became %4\n")
                                     .arg(shortLine(p.text), p.text.mid(c, 20),
                                          describe(p.chars[c]), describe(b[j].chars[c]));
        }
        ++i, ++j;
    }
    return result;
}

// pandoc's reading, from its document tree (-t json): paragraphs with the
// character formats pandoc knows. Its plain-text writer would add markup of
// its own (^(raised), tables drawn in ASCII, [image]) that is no text.
class PandocTree {
public:
    explicit PandocTree(const QByteArray& json) {
        walk(QJsonDocument::fromJson(json).object().value(QLatin1String("blocks")), Chars());
    }

    std::vector<Paragraph> paragraphs;

    // The text, one line per paragraph or line break, each simplified (a
    // no-break space too): pandoc drops empty paragraphs but keeps one of
    // blanks, and leaves out pictures it cannot read, but not the blanks
    // around them.
    QStringList lines() const {
        QStringList result;
        for (const Paragraph& p : paragraphs)
            for (QString line : p.text.split(QLatin1Char('\n')))
                if (line = line.replace(QChar::Nbsp, u' ').simplified(); !line.isEmpty())
                    result << line;
        return result;
    }

private:
    std::vector<Paragraph> open; // a note's paragraphs open inside another

    QString label; // of the list item whose first paragraph comes next

    // A paragraph, opened inside any other (a note's), filled by `fill`.
    void paragraph(const std::function<void()>& fill) {
        open.emplace_back();
        add(std::exchange(label, QString()), Chars());
        fill();
        paragraphs.push_back(std::move(open.back()));
        open.pop_back();
    }

    static QString roman(int n) {
        static const std::pair<int, const char*> digits[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
        QString result;
        for (const auto& [value, letters] : digits)
            for (; n >= value; n -= value)
                result += QLatin1String(letters);
        return result;
    }

    void add(const QString& text, const Chars& chars) {
        if (open.empty())
            return;
        open.back().text += text;
        open.back().chars.insert(open.back().chars.end(), text.size(), chars);
    }

    // Text comes only from Str, Space, breaks and code; attributes, link
    // targets and image captions are not text.
    void walk(const QJsonValue& value, Chars chars) {
        if (value.isArray()) {
            for (const QJsonValue& item : value.toArray())
                walk(item, chars);
            return;
        }
        if (!value.isObject())
            return;
        const QJsonObject node = value.toObject();
        const QString type = node.value(QLatin1String("t")).toString();
        const QJsonValue content = node.value(QLatin1String("c"));
        if (type == u"Str") {
            add(content.toString(), chars);
        } else if (type == u"Space" || type == u"SoftBreak") {
            add(QStringLiteral(" "), chars);
        } else if (type == u"LineBreak") {
            add(QStringLiteral("\n"), chars);
        } else if (type == u"Code") {
            add(content.toArray().last().toString(), chars);
        } else if (type == u"CodeBlock") {
            // pandoc makes a paragraph in a fixed-pitch font a code block.
            paragraph([&] { add(content.toArray().last().toString(), chars); });
        } else if (type == u"Para" || type == u"Plain" || type == u"Header") {
            paragraph([&] { walk(content, chars); });
        } else if (type == u"BulletList") {
            for (const QJsonValue& item : content.toArray()) {
                label = QStringLiteral("\u2022 ");
                walk(item, chars);
            }
        } else if (type == u"OrderedList") {
            // [[start, style, delimiter], items]: each item starts with its
            // number, as pandoc's plain text shows it and a file may spell it.
            const QJsonArray list = content.toArray();
            const QJsonArray attributes = list.at(0).toArray();
            int number = attributes.at(0).toInt(1);
            const QString style = attributes.at(1).toObject().value(QLatin1String("t")).toString();
            const QString delimiter =
                attributes.at(2).toObject().value(QLatin1String("t")).toString();
            for (const QJsonValue& item : list.at(1).toArray()) {
                const int i = number++;
                QString n = style.endsWith(u"Alpha")   ? QString(QChar(u'a' + (i - 1) % 26))
                            : style.endsWith(u"Roman") ? roman(i)
                                                       : QString::number(i);
                if (style.startsWith(u"Upper"))
                    n = n.toUpper();
                label = delimiter == u"TwoParens"  ? QStringLiteral("(%1) ").arg(n)
                        : delimiter == u"OneParen" ? n + QStringLiteral(") ")
                                                   : n + QStringLiteral(". ");
                walk(item, chars);
            }
        } else if (type != u"Image") {
            if (type == u"Strong")
                chars.bold = true;
            else if (type == u"Emph")
                chars.italic = true;
            else if (type == u"Underline")
                chars.underline = true;
            else if (type == u"Strikeout")
                chars.strike = true;
            else if (type == u"Superscript")
                chars.position = 1;
            else if (type == u"Subscript")
                chars.position = -1;
            walk(content, chars);
        }
    }
};

// ---------------------------------------------------------------------------
// The corpus and the list of what we know differs

struct Sample {
    QString name;   // as the list of expected differences names it
    QString source; // the file itself
    QString saved;  // what ferrotab-rtf convert wrote
    QString toolError;
    std::optional<PandocTree> pandocOriginal, pandocSaved;
    QString pandocError;
};

std::vector<Sample> corpus(const QString& root, const QString& prefix) {
    std::vector<Sample> samples;
    QDirIterator it(root, {QStringLiteral("*.rtf")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        samples.push_back({prefix + QDir(root).relativeFilePath(path), path, {}, {}, {}, {}, {}});
    }
    std::sort(samples.begin(), samples.end(),
              [](const Sample& x, const Sample& y) { return x.name < y.name; });
    return samples;
}

// Which checks may disagree on which file: "FILE CHECK..." lines, under
// comments that say why.
std::set<std::pair<QString, QString>> expectedDifferences() {
    std::set<std::pair<QString, QString>> expected;
    const QStringList lines = readFile(QStringLiteral(INTEROP_EXPECTED)).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QStringList words =
            line.section(QLatin1Char('#'), 0, 0).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (qsizetype i = 1; i < words.size(); ++i)
            expected.insert({words[i], words[0]});
    }
    return expected;
}

// ---------------------------------------------------------------------------
// The round trip

// The figures of each check, what disagrees, and whether the list expected it.
class Report {
public:
    // One file through one check; `difference` says how it disagrees, empty
    // when it agrees.
    void check(const QString& check, const Sample& sample, const QString& difference) {
        Tally& tally = tallies[check];
        ++tally.files;
        const bool listed = expected.count({check, sample.name}) > 0;
        if (check == informational) {
            if (difference.isEmpty())
                ++tally.same;
            else
                notes += QStringLiteral("  %1 %2\n%3").arg(check, sample.name, difference);
        } else if (difference.isEmpty()) {
            ++tally.same;
            if (listed)
                stale += QStringLiteral("  %1 %2\n").arg(check, sample.name);
        } else {
            (listed ? findings : failures) +=
                QStringLiteral("  %1 %2\n%3").arg(check, sample.name, difference);
        }
    }

    // Formats compare character by character where both readings share a
    // paragraph's text.
    void formats(const QString& check, const Sample& sample, const std::vector<Paragraph>& original,
                 const std::vector<Paragraph>& saved) {
        const FormatComparison formats = compareFormats(original, saved);
        tallies[check].characters += formats.characters;
        tallies[check].differing += formats.differing;
        this->check(check, sample,
                    formats.differing == 0
                        ? QString()
                        : QStringLiteral("      %1 of %2 characters differ; the first:\n%3")
                              .arg(formats.differing)
                              .arg(formats.characters)
                              .arg(formats.example));
    }

    void line(const QString& text) { out += text + QLatin1Char('\n'); }

    // Prints the figures and every difference, keeps them in the build's
    // artifacts, and fails on every difference the list does not expect.
    void finish(const QString& title) {
        QString text = title + QLatin1Char('\n') + out;
        for (const char* name : {"text", "formats", "pandoc-text", "pandoc-formats"}) {
            const QString check = QString::fromLatin1(name);
            const Tally& tally = tallies[check];
            text += QStringLiteral("%1: %2 of %3 files read the same")
                        .arg(check, -14)
                        .arg(tally.same)
                        .arg(tally.files);
            if (tally.characters)
                text += QStringLiteral("; %1 of %2 characters differ")
                            .arg(tally.differing)
                            .arg(tally.characters);
            text += QLatin1Char('\n');
        }
        if (!findings.isEmpty())
            text +=
                QStringLiteral("\nExpected differences (expected-differences.txt says why):\n") +
                findings;
        if (!stale.isEmpty())
            text += QStringLiteral("\nListed as different but reading the same now; take them off "
                                   "the list:\n") +
                    stale;
        if (!notes.isEmpty())
            text +=
                QStringLiteral("\nFor information, formats pandoc reads differently:\n") + notes;
        if (!failures.isEmpty())
            text += QStringLiteral("\nUNEXPECTED differences:\n") + failures;
        std::cout << text.toStdString() << std::flush;
        QDir().mkpath(QStringLiteral(INTEROP_REPORTS));
        QFile file(
            QStringLiteral(INTEROP_REPORTS "/") +
            QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            QStringLiteral(".txt"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text.toUtf8());
        EXPECT_TRUE(failures.isEmpty())
            << "other programs read these files differently after a save: see the list above";
    }

private:
    struct Tally {
        int files = 0, same = 0;
        qsizetype characters = 0, differing = 0;
    };
    std::map<QString, Tally> tallies;
    std::set<std::pair<QString, QString>> expected = expectedDifferences();
    QString out, findings, stale, failures, notes;
    // pandoc ignores style sheets and reads formats of many originals wrongly
    // (a heading's bold, character styles), where our file states them
    // directly: its formats are reported, but decide nothing.
    const QString informational = QStringLiteral("pandoc-formats");
};

void roundTrip(std::vector<Sample> samples, const QString& title) {
    ASSERT_FALSE(samples.empty());
    ASSERT_FALSE(program("soffice").isEmpty())
        << "soffice missing: install libreoffice-writer-nogui";
    ASSERT_FALSE(program("pandoc").isEmpty()) << "pandoc missing: install pandoc";
    ASSERT_FALSE(program("timeout").isEmpty());
    QElapsedTimer clock;
    clock.start();
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    for (const char* dir : {"in", "txt", "fodt"})
        QDir(work.path()).mkdir(QString::fromLatin1(dir));
    // The two files of a sample side by side under one name each, since
    // soffice names its outputs after the inputs and fixtures share names.
    const auto file = [&](int i, const char* side, const char* dir, const char* extension) {
        return QStringLiteral("%1/%2/%3-%4.%5")
            .arg(work.path(), QString::fromLatin1(dir))
            .arg(i, 4, 10, QLatin1Char('0'))
            .arg(QString::fromLatin1(side), QString::fromLatin1(extension));
    };
    const int n = static_cast<int>(samples.size());
    // Two workers at least: LibreOffice's two conversions run side by side.
    const int threads = std::max(2, QThread::idealThreadCount());

    inParallel(n, threads, [&](int i) {
        Sample& s = samples[i];
        QFile::copy(s.source, file(i, "a", "in", "rtf"));
        s.saved = file(i, "b", "in", "rtf");
        const Run converted = run(QStringLiteral(FERROTAB_RTF_TOOL),
                                  {QStringLiteral("convert"), s.source, s.saved}, 60000);
        if (!converted.ok)
            s.toolError = converted.error;
    });
    const qint64 savedAfter = clock.elapsed();

    // LibreOffice's two conversions run side by side, each with a profile of
    // its own; the workers that are free read with pandoc meanwhile.
    QStringList inputs;
    for (int i = 0; i < n; ++i)
        inputs << file(i, "a", "in", "rtf") << file(i, "b", "in", "rtf");
    const char* const formats[] = {"txt:Text (encoded):UTF8", "fodt"};
    qint64 libreOfficeTook[2] = {0, 0};
    inParallel(n + 2, threads, [&](int job) {
        if (job < 2) {
            QElapsedTimer libreOffice;
            libreOffice.start();
            const QString format = QString::fromLatin1(formats[job]);
            const QString dir = format.section(QLatin1Char(':'), 0, 0);
            convertWithLibreOffice(inputs, format, work.filePath(dir),
                                   work.filePath(QStringLiteral("profile-") + dir));
            libreOfficeTook[job] = libreOffice.elapsed();
            return;
        }
        Sample& s = samples[job - 2];
        if (!s.toolError.isEmpty())
            return;
        const auto pandoc = [](const QString& path, int timeoutMs) {
            return run(program("pandoc"),
                       {QStringLiteral("-f"), QStringLiteral("rtf"), QStringLiteral("-t"),
                        QStringLiteral("json"), path},
                       timeoutMs);
        };
        // An original pandoc cannot read (or reads for minutes: it hangs on
        // some) is skipped; ours gets time to spare, since it must not hang it.
        const Run original = pandoc(s.source, 20000);
        if (!original.ok)
            return;
        s.pandocOriginal.emplace(original.out);
        if (const Run saved = pandoc(s.saved, 60000); saved.ok)
            s.pandocSaved.emplace(saved.out);
        else
            s.pandocError = saved.error;
    });

    Report report;
    QStringList unreadable, pandocUnreadable, pandocCloser;
    for (int i = 0; i < n; ++i) {
        const Sample& s = samples[i];
        const QString originalText = file(i, "a", "txt", "txt");
        const QString savedText = file(i, "b", "txt", "txt");
        if (!QFile::exists(originalText)) {
            unreadable << s.name;
            continue;
        }
        const QStringList reference = lines(readFile(originalText));
        if (!s.toolError.isEmpty()) {
            // What LibreOffice reads, Ferrotab must open and save.
            report.check(QStringLiteral("text"), s,
                         QStringLiteral("      ferrotab-rtf convert: %1\n").arg(s.toolError));
            continue;
        }
        if (!QFile::exists(savedText)) {
            report.check(QStringLiteral("text"), s,
                         QStringLiteral("      LibreOffice cannot read our file\n"));
        } else {
            const QStringList ours = lines(readFile(savedText));
            report.check(QStringLiteral("text"), s,
                         reference == ours ? QString() : shortDiff(reference, ours));
            const FlatXml original(file(i, "a", "fodt", "fodt"));
            const FlatXml saved(file(i, "b", "fodt", "fodt"));
            if (original.valid && saved.valid)
                report.formats(QStringLiteral("formats"), s, original.paragraphs, saved.paragraphs);
        }

        // pandoc misreads much of what it reads (code pages, fields, text
        // boxes), often less so in our file: where its readings of the two
        // files part, LibreOffice's reading of the original decides which is
        // right, and ours may not be further from it.
        if (!s.pandocOriginal) {
            pandocUnreadable << s.name;
        } else if (!s.pandocSaved) {
            report.check(
                QStringLiteral("pandoc-text"), s,
                QStringLiteral("      pandoc cannot read our file: %1\n").arg(s.pandocError));
        } else {
            const QStringList a = s.pandocOriginal->lines();
            const QStringList b = s.pandocSaved->lines();
            const QStringList words = QStringList(reference).replaceInStrings(
                QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
            const bool closer = wordDistance(b, words) <= wordDistance(a, words);
            if (a != b && closer)
                pandocCloser << s.name;
            report.check(QStringLiteral("pandoc-text"), s,
                         a == b || closer ? QString() : shortDiff(a, b));
            report.formats(QStringLiteral("pandoc-formats"), s, s.pandocOriginal->paragraphs,
                           s.pandocSaved->paragraphs);
        }
    }

    report.line(QStringLiteral("%1 files opened and saved by ferrotab-rtf in %2 s; LibreOffice "
                               "read them in %3 s; %4 s in all.")
                    .arg(n)
                    .arg(savedAfter / 1000.0, 0, 'f', 1)
                    .arg(std::max(libreOfficeTook[0], libreOfficeTook[1]) / 1000.0, 0, 'f', 1)
                    .arg(clock.elapsed() / 1000.0, 0, 'f', 1));
    if (!unreadable.isEmpty())
        report.line(QStringLiteral("Skipped, LibreOffice reads nothing from the original: ") +
                    unreadable.join(QStringLiteral(", ")));
    if (!pandocUnreadable.isEmpty())
        report.line(QStringLiteral("Skipped by pandoc, which cannot read the original: ") +
                    pandocUnreadable.join(QStringLiteral(", ")));
    if (!pandocCloser.isEmpty())
        report.line(QStringLiteral("Read by pandoc differently, but no further from LibreOffice's "
                                   "reading of the original (counted as the same): ") +
                    pandocCloser.join(QStringLiteral(", ")));
    report.finish(title);
}

} // namespace

TEST(RoundTrip, ProjectCorpusReadsTheSameAfterASave) {
    roundTrip(
        corpus(projectRoot + QStringLiteral("/tests/data/rtf"), QStringLiteral("tests/data/rtf/")),
        QStringLiteral("The project's RTF corpus, saved by Ferrotab:"));
}

TEST(RoundTrip, SharedFixturesReadTheSameAfterASave) {
    const QString root = QDir::cleanPath(QStringLiteral(INTEROP_SHARED_FIXTURES));
    if (!QDir(root).exists())
        GTEST_SKIP() << "no shared fixtures at " << root.toStdString();
    roundTrip(corpus(root, QStringLiteral("rtf-fixtures/")),
              QStringLiteral("The shared RTF fixtures, saved by Ferrotab:"));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
