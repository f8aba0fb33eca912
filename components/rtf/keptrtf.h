#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QRgb>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace rtf {

// RTF that the editor does not show but keeps, to write back where it stood:
// the document's style sheet, information, page setup, headers and footers,
// and destinations of other programs. Fonts and colours in it are numbered
// into its own lists, since the file it goes back to has tables of its own.
struct KeptRtf {
    // Where a piece of the document's own goes: before its first paragraph,
    // after its last, or into its list table, as a list no paragraph shows
    // and its override (a style, a header or a note may name it).
    enum class Place : std::uint8_t { Start, End, List, ListOverride };

    QByteArray rtf;
    QStringList fonts;                 // \fN in rtf is fonts[N]
    QList<std::optional<QRgb>> colors; // \cfN and the other colour words: colors[N]; none is auto
    QString shownAs; // the text that stands for it in the editor, if any (a footnote's number)
    Place place = Place::Start;
    // Tells apart pieces alike in content that stood apart in the file: the
    // text between two alike pieces must not join into one run, which would
    // write the piece once.
    int occurrence = 0;

    bool operator==(const KeptRtf&) const = default;
};

using KeptRtfList = QList<KeptRtf>;

// What the numbers of a file's tables become in another file. A mapping
// left empty leaves its words as they are.
struct Renumbering {
    std::function<int(int)> font;  // \f, \af, \deff ...
    std::function<int(int)> color; // \cf, \cb, \highlight, \chcbpat ...
    std::function<int(int)> list;  // \ls: an entry of the list override table
    // \listid, \liststyleid, \listtemplateid: a list of the list table
    std::function<int(int)> listId;
};

// The rtf with the parameter of every such word passed through its mapping;
// all else, spaces and binary data included, is copied byte for byte.
QByteArray renumber(std::string_view rtf, const Renumbering& numbers);

// The target of a HYPERLINK field instruction ("" for other fields): the
// quoted or bare first argument, without switches.
QString hyperlinkTarget(const QByteArray& instruction);

// The kept RTF of a document, in file order, as the reader left it.
KeptRtfList keptRtfOf(const QObject& document);
void setKeptRtf(QObject& document, const KeptRtfList& kept);
// Whether the document's text that names no font of its own is written in
// the document's default font (a new document: yes), or left to the reader's
// own default as the file it came from did.
bool namesDefaultFont(const QObject& document);
void setNamesDefaultFont(QObject& document, bool names);
// All that a document keeps of its file, onto a clone of it (a clone gets
// none of it from QTextDocument::clone), or off a document given new content.
void copyKept(const QObject& from, QObject& to);
void clearKept(QObject& document);

} // namespace rtf

Q_DECLARE_METATYPE(rtf::KeptRtfList)
