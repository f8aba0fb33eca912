#include "app/statementguard.h"
#include "components/runtimeerror.h"
#include "tests/support/scripted.h"

#include <gtest/gtest.h>

namespace {

const QString kNewLocation = QStringLiteral("in Ferrotab2017/04/05.Form1.PushButton2_Click ");

TEST(ErrorReport, ComposesDescriptionLocationLineAndRequest) {
    EXPECT_EQ(composeErrorReport(QStringLiteral("Overflow"), kNewLocation, 102),
              QStringLiteral("Overflow\r\nin Ferrotab2017/04/05.Form1.PushButton2_Click at line "
                             "102\r\rPlease email screenshot of this message to ") +
                  QLatin1String(kSupportAddress));
}

TEST(ErrorReport, EmptyDescriptionStartsWithLineBreak) {
    EXPECT_TRUE(
        composeErrorReport(QString(), kNewLocation, 100).startsWith(QStringLiteral("\r\nin ")));
}

TEST(StatementGuard, ReportsEachFailureInOrderAndGoesOn) {
    ScriptedMessageBoxes boxes;
    StatementGuard guard(boxes, "PushButton2_Click");
    std::vector<int> ran;
    EXPECT_TRUE(guard(100, [&] { ran.push_back(100); }));
    EXPECT_FALSE(guard(102, [&] { throw RuntimeError(QStringLiteral("Overflow")); }));
    guard(104, [&] { ran.push_back(104); });
    EXPECT_FALSE(guard(106, [&] { throw std::runtime_error("disk full"); }));
    guard(108, [&] { ran.push_back(108); });

    EXPECT_EQ(ran, (std::vector<int>{100, 104, 108}));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("Overflow\r\n") + kNewLocation +
                                               QStringLiteral("at line 102\r\r")));
    EXPECT_TRUE(boxes.shown[1].text.startsWith(QStringLiteral("disk full\r\n")));
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("at line 106\r\r")));
    for (const MessageRequest& box : boxes.shown) {
        EXPECT_EQ(box.title, QStringLiteral("Application Error"));
        EXPECT_EQ(box.buttons, MsgButtons::Ok);
        EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    }
}

TEST(StatementGuard, FailingConditionTakesTheBranchThatRunsWhenItHolds) {
    ScriptedMessageBoxes boxes;
    StatementGuard guard(boxes, "PushButton2_Click");
    EXPECT_TRUE(
        guard.test(104, []() -> bool { throw RuntimeError(QStringLiteral("Bad file name")); }));
    EXPECT_FALSE(guard.test(104, [] { return false; }));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("at line 104")));
}

} // namespace
