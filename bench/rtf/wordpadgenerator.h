#pragma once

#include <QByteArray>

// An RTF document of at least the given size in the style WordPad's rich edit
// control writes: font and colour tables, \pard per paragraph, runs switching
// \b \i \ul \fs \cf, Western text with some \'hh, Cyrillic under a
// \fcharset204 font and the odd \u. The same size always gives the same bytes.
QByteArray wordpadDocument(qsizetype bytes);
