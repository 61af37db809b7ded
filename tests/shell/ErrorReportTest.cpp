#include "base/ErrorReport.h"
#include "support/FakeWindow.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace plumark;
using plumark::test::FakeWindow;

namespace {

QString expectedReport(const QString& description, const char* identity, int line)
{
    return description + QStringLiteral("\r\n") + QString::fromLatin1(identity) +
           QStringLiteral("at line %1\r\rPlease email screenshot of this message to "
                          "support@kestrova.com")
               .arg(line);
}

// A routine without a trap of its own: its failure belongs to its caller.
void readRateFromStore()
{
    throw Failure(QStringLiteral("Type mismatch"));
}

} // namespace

TEST(ErrorReport, ShowsTheExactTextAsAWarningTitledApplicationError)
{
    FakeWindow window;
    ShowErrorReport(window, QStringLiteral("File not found"),
                    QString::fromLatin1(identity::Form_Load), 95);
    ASSERT_EQ(window.messages.size(), 1);
    EXPECT_EQ(window.messages.at(0).text,
              QStringLiteral("File not found\r\nin Plumark2021/08/31.Form1.Form_Load at line "
                             "95\r\rPlease email screenshot of this message to "
                             "support@kestrova.com"));
    EXPECT_EQ(window.messages.at(0).title, QStringLiteral("Application Error"));
    EXPECT_EQ(window.messages.at(0).icon, MessageIcon::Warning);
}

TEST(ErrorReport, AnEmptyDescriptionKeepsTheRest)
{
    EXPECT_EQ(errorReportText(QString(), QString::fromLatin1(identity::GetSubDirectories2016), 7),
              expectedReport(QString(), identity::GetSubDirectories2016, 7));
    EXPECT_TRUE(
        errorReportText(QString(), QStringLiteral("x "), 7).startsWith(QStringLiteral("\r\n")));
}

TEST(Guard, ReportsEachFailureWithItsOwnLineAndGoesOn)
{
    FakeWindow window;
    Guard guard(window, identity::PushButton2_Click);
    QStringList done;
    EXPECT_TRUE(guard.step(1, [&] { done << QStringLiteral("1"); }));
    EXPECT_FALSE(guard.step(2, [&] { throw Failure(QStringLiteral("Permission denied")); }));
    EXPECT_TRUE(guard.step(3, [&] { done << QStringLiteral("3"); }));
    EXPECT_FALSE(guard.step(4, [&] { throw std::runtime_error("Out of memory"); }));
    EXPECT_TRUE(guard.step(5, [&] { done << QStringLiteral("5"); }));

    EXPECT_EQ(done, (QStringList{QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("5")}));
    EXPECT_EQ(
        window.messageTexts(),
        (QStringList{
            expectedReport(QStringLiteral("Permission denied"), identity::PushButton2_Click, 2),
            expectedReport(QStringLiteral("Out of memory"), identity::PushButton2_Click, 4)}));
}

TEST(Guard, AFailingBranchTestCountsAsPassed)
{
    FakeWindow window;
    Guard guard(window, identity::Form_Load);
    EXPECT_TRUE(guard.test(97, [&]() -> bool { throw Failure(QStringLiteral("Type mismatch")); }));
    EXPECT_FALSE(guard.test(98, [] { return false; }));
    EXPECT_TRUE(guard.test(99, [] { return true; }));
    EXPECT_EQ(window.messageTexts(), QStringList{expectedReport(QStringLiteral("Type mismatch"),
                                                                identity::Form_Load, 97)});
}

TEST(Guard, AFailureInACalledRoutineCarriesTheCallersIdentityAndLine)
{
    FakeWindow window;
    Guard guard(window, identity::PushButton7_Click);
    bool restAbandoned = true;
    guard.step(4, [&] {
        readRateFromStore();
        restAbandoned = false;
    });
    EXPECT_TRUE(restAbandoned);
    EXPECT_EQ(guard.line(), 4);
    EXPECT_EQ(window.messageTexts(), QStringList{expectedReport(QStringLiteral("Type mismatch"),
                                                                identity::PushButton7_Click, 4)});
}
