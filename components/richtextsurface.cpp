#include "components/richtextsurface.h"

#include "components/rtf/documentdump.h"
#include "components/rtf/documentfile.h"
#include "components/rtf/keptrtf.h"
#include "components/rtf/qtsink.h"
#include "components/runtimeerror.h"
#include "documents/filecontent.h"
#include "saving/safefile.h"

#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QTextOption>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

namespace {

// The document works at 15 twips per pixel, the window's own scale.
constexpr double kTwipsPerPixel = 15.0;

// QTextEdit with the surface's Click: a mouse click in the text, reported
// after the editor has placed the caret, so the selection read is the new one.
class SurfaceEdit : public QTextEdit {
public:
    using QTextEdit::QTextEdit;
    std::function<void()> clicked;
    std::function<void(const QString& href)> linkClicked;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QTextEdit::mouseReleaseEvent(event);
        if (event->button() != Qt::LeftButton)
            return;
        if (clicked)
            clicked();
        if ((event->modifiers() & Qt::ControlModifier) && linkClicked)
            if (const QString href = anchorAt(event->position().toPoint()); !href.isEmpty())
                linkClicked(href);
    }
};

bool isBulletStyle(QTextListFormat::Style style) {
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
           style == QTextListFormat::ListSquare;
}

RuntimeError invalidValue() {
    return RuntimeError(QStringLiteral("Invalid property value"));
}

} // namespace

QFont RichTextSurface::designFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    return font;
}

RichTextSurface::RichTextSurface(qint16 index, QWidget* parent)
    : QObject(parent), index_(index), edit_(new SurfaceEdit(parent)) {
    edit_->setAcceptRichText(true);
    edit_->document()->setDefaultFont(designFont());
    edit_->document()->setUndoRedoEnabled(true);
    // Paragraphs run left to right unless the file marks them otherwise, as
    // in RTF and in the editors that write it. Left to guess, the layout
    // would look for the direction in the text of every paragraph after an
    // edit: most of a keystroke's time in a long document.
    QTextOption option = edit_->document()->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    edit_->document()->setDefaultTextOption(option);
    edit_->setAutoFillBackground(true);
    setBackColor(backColor_);
    static_cast<SurfaceEdit*>(edit_)->clicked = [this] { emit Click(index_); };
    static_cast<SurfaceEdit*>(edit_)->linkClicked = [this](const QString& href) {
        const QUrl url(href);
        if (isOpenableLink(url))
            emit LinkActivated(url);
    };
    // Text typed next to a footnote's number or a kept bookmark is the
    // user's own: it must not take the kept RTF along, or the file would get
    // the note twice, or the text replaced by it.
    connect(edit_, &QTextEdit::currentCharFormatChanged, this,
            [this](const QTextCharFormat& format) {
                if (edit_->textCursor().hasSelection() ||
                    !(format.hasProperty(rtf::property::keptObject) ||
                      format.hasProperty(rtf::property::keptBefore)))
                    return;
                QTextCharFormat typing = format;
                typing.clearProperty(rtf::property::keptObject);
                typing.clearProperty(rtf::property::keptBefore);
                edit_->setCurrentCharFormat(typing);
            });
    connect(edit_, &QTextEdit::textChanged, this, [this] { emit Change(index_); });
    // The lists follow an edit as the saved file will number them: a label
    // that shows the number of the item above ("2.1.") follows an item added
    // or deleted above it. Only edits add undo commands (an undo or a load
    // does not), and the lists' changes go into the edit's own. Text typed
    // or deleted inside one paragraph renumbers nothing: most keystrokes
    // need no walk through the lists. A paragraph added or removed may, and
    // so may a format (Qt reports it as many characters removed as added).
    connect(edit_->document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) {
                const QTextDocument& document = *edit_->document();
                if (document.blockCount() != blocksSeen_ || removed == added ||
                    document.findBlock(position) != document.findBlock(position + added))
                    listsMayHaveChanged_ = true;
                blocksSeen_ = document.blockCount();
            });
    // Qt tells of the undo command before the change itself: the lists are
    // looked at once both are in.
    connect(edit_->document(), &QTextDocument::undoCommandAdded, this, [this] {
        if (listsDue_)
            return;
        listsDue_ = true;
        QTimer::singleShot(0, this, [this] {
            listsDue_ = false;
            if (!std::exchange(listsMayHaveChanged_, false))
                return;
            rtf::followListNumbering(*edit_->document());
        });
    });
}

bool RichTextSurface::isOpenableLink(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
                             scheme == QLatin1String("mailto"));
}

RichTextSurface::~RichTextSurface() {
    delete edit_;
}

QTextDocument* RichTextSurface::document() const {
    return edit_->document();
}

QString RichTextSurface::text() const {
    return rtf::documentText(*edit_->document());
}

void RichTextSurface::setText(const QString& text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // New content, new document: what an earlier file kept (its headers,
    // style sheet, page setup) does not belong to it.
    rtf::clearKept(*edit_->document());
    edit_->setPlainText(plain);
    listsMayHaveChanged_ = false;
}

void RichTextSurface::loadFile(const QString& path) {
    rtf::loadBytes(*edit_->document(), readFileContent(path));
    edit_->moveCursor(QTextCursor::Start);
    listsMayHaveChanged_ = false; // a document as read numbers as it is saved
}

void RichTextSurface::saveFile(const QString& path) const {
    if (const QString error = SafeFile::save(path, rtf::saveBytes(*edit_->document()));
        !error.isEmpty())
        throw RuntimeError(error);
}

int RichTextSurface::textOffsetOf(int position) const {
    return int(rtf::textOffsetOf(*edit_->document(), position));
}

int RichTextSurface::positionOfTextOffset(qint64 offset) const {
    return int(rtf::positionOfTextOffset(*edit_->document(), offset));
}

qint32 RichTextSurface::selStart() const {
    return textOffsetOf(edit_->textCursor().selectionStart());
}

void RichTextSurface::setSelStart(qint32 start) {
    if (start < 0)
        throw invalidValue();
    QTextCursor cursor = edit_->textCursor();
    cursor.setPosition(positionOfTextOffset(start));
    edit_->setTextCursor(cursor);
}

qint32 RichTextSurface::selLength() const {
    const QTextCursor cursor = edit_->textCursor();
    return textOffsetOf(cursor.selectionEnd()) - textOffsetOf(cursor.selectionStart());
}

void RichTextSurface::setSelLength(qint32 length) {
    if (length < 0)
        throw invalidValue();
    QTextCursor cursor = edit_->textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(positionOfTextOffset(qint64(textOffsetOf(start)) + length),
                       QTextCursor::KeepAnchor);
    edit_->setTextCursor(cursor);
}

// The one value a character property has over the whole selection, or none
// when it varies. A collapsed selection reads the format text typed next gets.
template <typename T, typename Read>
std::optional<T> RichTextSurface::uniformFormat(Read read) const {
    const QTextCursor cursor = edit_->textCursor();
    if (!cursor.hasSelection())
        return read(edit_->currentCharFormat());
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    std::optional<T> value;
    for (QTextBlock block = edit_->document()->findBlock(start);
         block.isValid() && block.position() < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() <= start || fragment.position() >= end)
                continue;
            const T current = read(fragment.charFormat());
            if (value && *value != current)
                return std::nullopt;
            value = current;
        }
    }
    // A selection of paragraph breaks alone holds no characters: it reads as
    // the format at its start.
    if (!value)
        return read(cursor.charFormat());
    return value;
}

template <typename T, typename Read>
std::optional<T> RichTextSurface::uniformChar(Read read) const {
    const QFont base = edit_->document()->defaultFont();
    return uniformFormat<T>(
        [&](const QTextCharFormat& format) { return read(format.font().resolve(base)); });
}

template <typename T, typename Read>
std::optional<T> RichTextSurface::uniformBlock(Read read) const {
    const QTextCursor cursor = edit_->textCursor();
    const QTextDocument* doc = edit_->document();
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    std::optional<T> value;
    for (QTextBlock block = doc->findBlock(cursor.selectionStart()); block.isValid();
         block = block.next()) {
        const T current = read(block);
        if (value && *value != current)
            return std::nullopt;
        value = current;
        if (block == last)
            break;
    }
    return value;
}

void RichTextSurface::mergeSelection(const QTextCharFormat& format) {
    edit_->mergeCurrentCharFormat(format);
}

std::optional<QString> RichTextSurface::selFontName() const {
    return uniformChar<QString>([](const QFont& f) { return f.family(); });
}

void RichTextSurface::setSelFontName(const QString& name) {
    QTextCharFormat format;
    format.setFontFamilies({name});
    mergeSelection(format);
}

std::optional<double> RichTextSurface::selFontSize() const {
    return uniformChar<double>([](const QFont& f) { return f.pointSizeF(); });
}

void RichTextSurface::setSelFontSize(double points) {
    if (!(points > 0) || points > 1638)
        throw invalidValue();
    QTextCharFormat format;
    format.setFontPointSize(points);
    mergeSelection(format);
}

std::optional<bool> RichTextSurface::selBold() const {
    return uniformChar<bool>([](const QFont& f) { return f.bold(); });
}

void RichTextSurface::setSelBold(bool on) {
    QTextCharFormat format;
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    mergeSelection(format);
}

std::optional<bool> RichTextSurface::selItalic() const {
    return uniformChar<bool>([](const QFont& f) { return f.italic(); });
}

void RichTextSurface::setSelItalic(bool on) {
    QTextCharFormat format;
    format.setFontItalic(on);
    mergeSelection(format);
}

std::optional<bool> RichTextSurface::selUnderline() const {
    return uniformChar<bool>([](const QFont& f) { return f.underline(); });
}

void RichTextSurface::setSelUnderline(bool on) {
    QTextCharFormat format;
    format.setFontUnderline(on);
    mergeSelection(format);
}

std::optional<bool> RichTextSurface::selBullet() const {
    return uniformBlock<bool>([](const QTextBlock& block) {
        const QTextList* list = block.textList();
        return list && isBulletStyle(list->format().style());
    });
}

void RichTextSurface::setSelBullet(bool on) {
    QTextCursor cursor = edit_->textCursor();
    cursor.beginEditBlock();
    if (on) {
        QTextListFormat format;
        format.setStyle(QTextListFormat::ListDisc);
        format.setIndent(1);
        cursor.createList(format);
    } else {
        // Leaving the list keeps each paragraph's own indent and drops the list's.
        const QTextBlock last = edit_->document()->findBlock(cursor.selectionEnd());
        for (QTextBlock block = edit_->document()->findBlock(cursor.selectionStart());
             block.isValid(); block = block.next()) {
            if (block.textList()) {
                QTextBlockFormat format = block.blockFormat();
                format.clearProperty(QTextFormat::ObjectIndex);
                QTextCursor(block).setBlockFormat(format);
            }
            if (block == last)
                break;
        }
    }
    cursor.endEditBlock();
}

std::optional<qint16> RichTextSurface::selAlignment() const {
    return uniformBlock<qint16>([](const QTextBlock& block) -> qint16 {
        const Qt::Alignment horizontal = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (horizontal & (Qt::AlignRight | Qt::AlignTrailing))
            return 1;
        if (horizontal & Qt::AlignHCenter)
            return 2;
        if (horizontal & Qt::AlignJustify)
            return 3;
        return 0;
    });
}

void RichTextSurface::setSelAlignment(qint16 alignment) {
    // Left and right are the page's sides, also in a right-to-left paragraph.
    static const Qt::Alignment byCode[] = {Qt::AlignLeft | Qt::AlignAbsolute,
                                           Qt::AlignRight | Qt::AlignAbsolute, Qt::AlignHCenter};
    if (alignment < 0 || alignment > 2)
        throw invalidValue();
    QTextBlockFormat format;
    format.setAlignment(byCode[alignment]);
    edit_->textCursor().mergeBlockFormat(format);
}

std::optional<qint32> RichTextSurface::selIndent() const {
    return uniformBlock<qint32>([](const QTextBlock& block) {
        return qint32(qRound(block.blockFormat().leftMargin() * kTwipsPerPixel));
    });
}

void RichTextSurface::setSelIndent(qint32 twips) {
    QTextBlockFormat format;
    format.setLeftMargin(qMax(0, twips) / kTwipsPerPixel);
    edit_->textCursor().mergeBlockFormat(format);
}

void RichTextSurface::stepSelIndent(qint32 twips) {
    QTextCursor cursor = edit_->textCursor();
    const QTextDocument* doc = edit_->document();
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    cursor.beginEditBlock();
    for (QTextBlock block = doc->findBlock(cursor.selectionStart()); block.isValid();
         block = block.next()) {
        QTextBlockFormat format;
        const qint64 now = qRound64(block.blockFormat().leftMargin() * kTwipsPerPixel);
        const qint64 moved = std::clamp<qint64>(now + twips, 0, std::numeric_limits<qint32>::max());
        format.setLeftMargin(double(moved) / kTwipsPerPixel);
        QTextCursor(block).mergeBlockFormat(format);
        if (block == last)
            break;
    }
    cursor.endEditBlock();
}

std::optional<OleColor> RichTextSurface::selColor() const {
    // Text without a colour of its own shows the default black.
    return uniformFormat<OleColor>([](const QTextCharFormat& format) {
        return format.hasProperty(QTextFormat::ForegroundBrush)
                   ? fromQColor(format.foreground().color())
                   : OleColor(0);
    });
}

void RichTextSurface::setSelColor(OleColor color) {
    QTextCharFormat format;
    format.setForeground(toQColor(color));
    mergeSelection(format);
}

void RichTextSurface::setBackColor(OleColor color) {
    backColor_ = color;
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Base, toQColor(color));
    edit_->setPalette(palette);
}

QFont RichTextSurface::font() const {
    return edit_->document()->defaultFont();
}

bool RichTextSurface::isVisible() const {
    return !edit_->isHidden();
}

void RichTextSurface::setVisible(bool visible) {
    edit_->setVisible(visible);
}

void RichTextSurface::zOrder() {
    edit_->raise();
}

void RichTextSurface::setFocus() {
    edit_->setFocus(Qt::OtherFocusReason);
}
