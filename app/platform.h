#pragma once

#include "components/dialogpresenter.h"
#include "components/messageboxes.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>

// The list of font families the program offers; throws RuntimeError when the
// system cannot give it.
class FontSource {
public:
    virtual ~FontSource() = default;
    virtual QStringList families() = 0;
};

// Everything outside Form1 that it talks to. main() passes the Qt
// implementations; tests pass scripted ones.
struct Platform {
    std::unique_ptr<DialogPresenter> dialogs;
    std::unique_ptr<MessageBoxes> messages;
    std::unique_ptr<FontSource> fonts;
    QString programFolder;            // the folder of the executable, without a trailing separator
    std::function<void()> endProgram; // ends the process at once; never returns in the program
    // Shows a web page or starts an e-mail in the user's own programs.
    std::function<void(const QUrl&)> openUrl;
    // Where recovery copies of unsaved documents go; none are kept when empty.
    QString recoveryFolder;
};

// The Platform the program runs with: Qt's dialogs and message boxes,
// fontconfig's families, the executable's own folder, the user's recovery
// folder.
Platform qtPlatform();
