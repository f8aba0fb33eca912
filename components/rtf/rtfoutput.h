#pragma once

#include <QByteArray>
#include <QStringView>
#include <string_view>

namespace rtf {

// The bytes of an RTF file being written: control words with their
// delimiters, escaped text, and line breaks so that no line grows long (a line
// break is ignored by every reader, and ends a control word like a space).
class RtfOutput {
public:
    RtfOutput() { bytes_.reserve(1 << 16); }
    // Without line breaks: for a piece whose numbers change when it is
    // written into a file, which would move the breaks on every save.
    static RtfOutput oneLine() {
        RtfOutput out;
        out.breakLines_ = false;
        return out;
    }

    // For bytes that another output will take in (append): they may follow
    // a control word there, so text at their start is delimited, and the
    // delimiter dropped if it was not needed after all.
    static RtfOutput continuation() {
        RtfOutput out;
        out.needsDelimiter_ = true;
        out.continuation_ = true;
        return out;
    }

    void raw(std::string_view text);
    void word(std::string_view name);
    void word(std::string_view name, int parameter);
    // Control words as a file wrote them ("\\keepn\\lang1031"); like word(),
    // the next text gets a delimiter.
    void words(QByteArrayView words);
    // Text of the document, escaped: ASCII as is, Windows-1252 as \'hh, the rest
    // as \uN with a "?" fallback (a surrogate pair as two \uN). In the Symbol
    // font, the characters it has are its bytes, as \'hh.
    void text(QStringView text, bool symbolFont = false);
    void endLine();
    // Binary data as lines of hex digits, each line ended.
    void hex(QByteArrayView data);
    QByteArray take() { return std::move(bytes_); }
    qsizetype size() const { return bytes_.size(); }
    // Takes in what a continuation() wrote, which starts again empty.
    void append(RtfOutput& tail);
    // Puts bytes in at a point that needs no delimiter (a line's start, after
    // a group's end), before what was written since.
    void insert(qsizetype at, QByteArrayView bytes);
    // Takes away a control word that the bytes begin with, where another
    // word follows it; whether it did.
    bool dropLeadingWord(std::string_view name);
    // The bytes written between two sizes.
    QByteArrayView written(qsizetype from, qsizetype to) const {
        return QByteArrayView(bytes_).sliced(from, to - from);
    }
    // The bytes so far, in an array of their size, and a fresh start that
    // keeps the buffer for the next piece.
    QByteArray takeCopy() {
        QByteArray copy(bytes_.constData(), bytes_.size());
        bytes_.resize(0);
        lineStart_ = 0;
        needsDelimiter_ = false;
        return copy;
    }

private:
    void textByte(char c);
    void delimit();
    void wrap(bool atSpace);

    QByteArray bytes_;
    qsizetype lineStart_ = 0;
    bool needsDelimiter_ = false;
    bool breakLines_ = true;
    bool continuation_ = false;
    bool delimitedAtStart_ = false; // a continuation's first byte is a delimiter
};

} // namespace rtf
