#include "search/documenttext.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// The characters that end a paragraph inside the document: its own breaks and
// the frame markers around table cells. Every block ends in exactly one.
bool endsParagraph(QChar c) {
    return c == QChar::ParagraphSeparator || c == QChar(0xfdd0) || c == QChar(0xfdd1);
}

} // namespace

DocumentText& DocumentText::of(QTextDocument& document) {
    if (auto* attached = document.findChild<DocumentText*>(QString(), Qt::FindDirectChildrenOnly))
        return *attached;
    return *new DocumentText(document);
}

DocumentText::DocumentText(QTextDocument& document) : QObject(&document), document_(document) {
    connect(&document, &QTextDocument::contentsChange, this, &DocumentText::follow);
}

const QString& DocumentText::text() {
    if (!valid_) {
        text_ = textOfRange(0, document_.characterCount() - 1);
        valid_ = true;
    }
    return text_;
}

qsizetype DocumentText::find(const QString& needle, qsizetype from) {
    if (needle.isEmpty() || from < 0)
        return -1;
    const QString& haystack = text();
    if (from >= haystack.size())
        return -1;
    return haystack.indexOf(needle, from, Qt::CaseInsensitive);
}

qsizetype DocumentText::expectedLength() const {
    // One character per block for its end is counted two in Text, and the
    // last block's end is not in Text at all.
    return qsizetype(document_.characterCount()) + document_.blockCount() - 2;
}

QString DocumentText::textOfRange(int from, int to) const {
    if (to <= from)
        return QString();
    // The cursor's selected text is the document's own characters, read
    // fragment by fragment without building each paragraph's text.
    QTextCursor cursor(&document_);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    const QString raw = cursor.selectedText();
    QString text;
    text.reserve(raw.size() + raw.size() / 16);
    qsizetype copied = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == QChar::LineSeparator) {
            text.append(QStringView(raw).mid(copied, i - copied)).append(QLatin1Char('\n'));
            copied = i + 1;
        } else if (endsParagraph(c)) {
            text.append(QStringView(raw).mid(copied, i - copied)).append(QLatin1StringView("\r\n"));
            copied = i + 1;
        }
    }
    text.append(QStringView(raw).mid(copied));
    return text;
}

void DocumentText::follow(int position, int charsRemoved, int charsAdded) {
    Q_UNUSED(charsRemoved); // the length of the old text tells what went
    if (!valid_)
        return;
    // The last block's end is not in Text, and a report of a whole new
    // content counts it in.
    const int end = document_.characterCount() - 1;
    if (position < 0 || position > end) {
        valid_ = false;
        return;
    }
    const QString added = textOfRange(position, qMin(position + charsAdded, end));
    const qsizetype start = position + document_.findBlock(position).blockNumber();
    // Everything before position and after the reported range is unchanged,
    // so the old text between them is what the lengths leave over.
    const qsizetype removed = text_.size() - (expectedLength() - added.size());
    if (removed < 0 || start + removed > text_.size()) {
        valid_ = false;
        return;
    }
    text_.replace(start, removed, added);
}
