#include "app/form1.h"
#include "app/statementguard.h"
#include "search/documenttext.h"

namespace {

constexpr OleColor kNotSearching = 0x808080;
constexpr OleColor kSearching = 0;

// The 1-based position of the first occurrence of needle in the surface's
// Text at or after the 1-based start, ignoring case; 0 when there is none.
qint32 positionOf(RichTextSurface& surface, const QString& needle, qint32 start) {
    const qsizetype found = DocumentText::of(*surface.document()).find(needle, start - 1);
    return found < 0 ? 0 : qint32(found + 1);
}

} // namespace

void Form1::PushButton3_Click() {
    StatementGuard guard(messages(), "PushButton3_Click");
    guard(100, [&] { PushButton13->setForeColor(kNotSearching); });
    guard(102, [&] { nextSearchStart = -1; });
    guard(104, [&] { lastSearchString = QString(); });
    QString answer;
    guard(106, [&] {
        answer = messages().input(
            {QStringLiteral("Enter string to search: "), applicationTitle, QString()});
    });
    if (answer.isEmpty())
        return;
    qint32 position = 0;
    guard(110, [&] { position = positionOf(currentSurface(), answer, 1); });
    if (position == 0) {
        guard(126, [&] {
            messages().show(
                {QStringLiteral("No match is found for the string '") + answer + QLatin1Char('\''),
                 applicationTitle});
        });
        return;
    }
    guard(114, [&] { currentSurface().setSelStart(position - 1); });
    guard(116, [&] { currentSurface().setSelLength(qint32(answer.size())); });
    guard(118, [&] { currentSurface().setFocus(); });
    guard(120, [&] { PushButton13->setForeColor(kSearching); });
    guard(122, [&] { nextSearchStart = position + qint32(answer.size()); });
    guard(124, [&] { lastSearchString = answer; });
}

void Form1::PushButton13_Click() {
    StatementGuard guard(messages(), "PushButton13_Click");
    if (PushButton13->foreColor() == kNotSearching) {
        guard(130, [&] {
            messages().show({QStringLiteral("Please use 'Find' instead."), applicationTitle});
        });
        return;
    }
    if (lastSearchString.isEmpty() || nextSearchStart < 1)
        return;
    qint32 position = 0;
    guard(106, [&] { position = positionOf(currentSurface(), lastSearchString, nextSearchStart); });
    if (position != 0) {
        guard(110, [&] { currentSurface().setSelStart(position - 1); });
        guard(112, [&] { currentSurface().setSelLength(qint32(lastSearchString.size())); });
        guard(114, [&] { currentSurface().setFocus(); });
        guard(116, [&] { PushButton13->setForeColor(kSearching); });
        guard(118, [&] { nextSearchStart = position + qint32(lastSearchString.size()); });
        return;
    }
    guard(120, [&] { PushButton13->setForeColor(kNotSearching); });
    MsgResult restart = MsgResult::No;
    guard(122, [&] {
        restart = messages().show(
            {QStringLiteral("No more match found for the string '") + lastSearchString +
                 QStringLiteral("'\r\nDo you want to start search from the beginning?"),
             QStringLiteral("Restart Search"), MsgButtons::YesNo, MsgResult::Yes,
             MsgIcon::Question});
    });
    if (restart != MsgResult::Yes)
        return;
    guard(124, [&] { PushButton13->setForeColor(kSearching); });
    guard(126, [&] { nextSearchStart = 1; });
    guard(128, [&] { PushButton13_Click(); });
}
