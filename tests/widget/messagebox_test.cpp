#include "app/platform.h"
#include "tests/support/scripted.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

// Qt's real message boxes, as the program shows them.

namespace {

// Runs `whileOpen` on the box once it is shown, then returns what the box answered.
MsgResult showAndDrive(const MessageRequest& request,
                       const std::function<void(QMessageBox&)>& whileOpen) {
    const Platform platform = qtPlatform();
    onModal([&](QDialog& box) { whileOpen(static_cast<QMessageBox&>(box)); });
    return platform.messages->show(request);
}

QAbstractButton* buttonOf(QMessageBox& box, QMessageBox::StandardButton which) {
    return box.button(which);
}

TEST(MessageBoxes, AYesNoQuestionHasNoAnswerButItsButtons) {
    for (const QString& title : {QStringLiteral("Save Changes"), QStringLiteral("Continue Exit")}) {
        bool stillOpen = false;
        const MsgResult answer =
            showAndDrive({QStringLiteral("File has been changed. \r\nDo you want to save changes?"),
                          title, MsgButtons::YesNo, MsgResult::Yes, MsgIcon::Question},
                         [&](QMessageBox& box) {
                             QTest::keyClick(&box, Qt::Key_Escape);
                             box.close(); // the title bar's close button
                             QApplication::processEvents();
                             stillOpen = box.isVisible();
                             buttonOf(box, QMessageBox::No)->click();
                         });
        EXPECT_TRUE(stillOpen) << "Escape or the close button answered " << title.toStdString();
        EXPECT_EQ(answer, MsgResult::No);
    }
    const MsgResult yes =
        showAndDrive({QStringLiteral("Exit without saving?"), QStringLiteral("Continue Exit"),
                      MsgButtons::YesNo, MsgResult::Yes, MsgIcon::Question},
                     [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); });
    EXPECT_EQ(yes, MsgResult::Yes) << "Return takes the default answer";
}

TEST(MessageBoxes, EscapeStillClosesAReportAndCancelsAQuestionWithCancel) {
    EXPECT_EQ(showAndDrive({QStringLiteral("Overflow"), QStringLiteral("Application Error"),
                            MsgButtons::Ok, MsgResult::Ok, MsgIcon::Exclamation},
                           [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              MsgResult::Ok);
    EXPECT_EQ(showAndDrive({QStringLiteral("Save?"), QStringLiteral("Ferrotab"),
                            MsgButtons::YesNoCancel, MsgResult::Yes, MsgIcon::Question},
                           [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              MsgResult::Cancel);
}

} // namespace
