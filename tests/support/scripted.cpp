#include "tests/support/scripted.h"

#include "components/runtimeerror.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>

namespace {

template <typename T> T takeFront(std::deque<T>& queue, T fallback) {
    if (!queue.empty()) {
        fallback = std::move(queue.front());
        queue.pop_front();
    }
    return fallback;
}

} // namespace

MsgResult ScriptedMessageBoxes::show(const MessageRequest& request) {
    shown.push_back(request);
    if (onShow)
        onShow(request);
    return takeFront(answers, request.defaultButton);
}

QString ScriptedMessageBoxes::input(const InputRequest& request) {
    inputs.push_back(request);
    return takeFront(inputAnswers, QString());
}

std::optional<FileDialogResult> ScriptedDialogs::showOpen(const FileDialogRequest& request) {
    openRequests.push_back(request);
    return takeFront(openAnswers, std::optional<FileDialogResult>());
}

std::optional<FileDialogResult> ScriptedDialogs::showSave(const FileDialogRequest& request) {
    saveRequests.push_back(request);
    return takeFront(saveAnswers, std::optional<FileDialogResult>());
}

std::optional<OleColor> ScriptedDialogs::showColor(OleColor initial, qint32 flags) {
    colorRequests.emplace_back(initial, flags);
    if (realColorAndFont)
        return realColorAndFont->showColor(initial, flags);
    return takeFront(colorAnswers, std::optional<OleColor>());
}

std::optional<FontChoice> ScriptedDialogs::showFont(const FontChoice& initial, qint32 flags) {
    fontRequests.emplace_back(initial, flags);
    if (realColorAndFont)
        return realColorAndFont->showFont(initial, flags);
    return takeFront(fontAnswers, std::optional<FontChoice>());
}

QStringList ScriptedFonts::families() {
    if (fails_)
        throw RuntimeError(QStringLiteral("No printers are installed"));
    return families_;
}

FormHarness::FormHarness(QStringList fonts, bool fontsFail)
    : recoveryFolder(state.filePath(QStringLiteral("ferrotab/recovery"))), fonts_(std::move(fonts)),
      fontsFail_(fontsFail) {}

Form1& FormHarness::build() {
    auto scriptedMessages = std::make_unique<ScriptedMessageBoxes>();
    auto scriptedDialogs = std::make_unique<ScriptedDialogs>();
    messages = scriptedMessages.get();
    dialogs = scriptedDialogs.get();
    Platform platform{std::move(scriptedDialogs),
                      std::move(scriptedMessages),
                      std::make_unique<ScriptedFonts>(fonts_, fontsFail_),
                      folder.path(),
                      [this] { ++programEnds; },
                      [this](const QUrl& url) { openedUrls.append(url); },
                      recoveryFolder};
    form = std::make_unique<Form1>(std::move(platform));
    return *form;
}

Form1& FormHarness::load() {
    Form1& window = build();
    window.Form_Load();
    return window;
}

void FormHarness::showActive() {
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        qWarning("the window did not become active");
}

void onModal(std::function<void(QDialog&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}

FileSizeLimit::FileSizeLimit(unsigned long long bytes) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    saved[0] = limit.rlim_cur;
    saved[1] = limit.rlim_max;
    std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    const rlimit limit{static_cast<rlim_t>(saved[0]), static_cast<rlim_t>(saved[1])};
    setrlimit(RLIMIT_FSIZE, &limit);
}
