// Recent Activity: the memo's line rule and its sources.
#include "window_fixture.h"

#include <QCoreApplication>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

using namespace vantor;
using namespace vantor::test;

namespace {
class RecentActivity : public WindowFixture
{
protected:
    int Lines() const { return window.recentActivity()->memo()->document()->blockCount(); }
    QString LastLine() const
    {
        return window.recentActivity()->memo()->document()->lastBlock().text();
    }
};
} // namespace

TEST_F(RecentActivity, TheFirstLinesAreTheStartUpLines)
{
    const QString text = Activity().memo()->toPlainText();
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("2024.05.01 12:00:00 [application] Starting up...\n"
                                       "2024.05.01 12:00:00 [application] TUNIX.DLL version ")))
        << qPrintable(text);
}

TEST_F(RecentActivity, TheMemoKeepsFiftyOrFiftyOneLines)
{
    int n = 0;
    while (Lines() < 50)
        engine.AddToActivityLog(-1, QStringLiteral("line %1").arg(++n));
    engine.AddToActivityLog(-1, QStringLiteral("line %1").arg(++n));
    EXPECT_EQ(Lines(), 51);
    engine.AddToActivityLog(-1, QStringLiteral("line %1").arg(++n));
    EXPECT_EQ(Lines(), 50);
    EXPECT_TRUE(LastLine().endsWith(QStringLiteral("line %1").arg(n)));
    for (int k = 0; k < 30; ++k) {
        engine.AddToActivityLog(-1, QStringLiteral("more"));
        EXPECT_GE(Lines(), 50);
        EXPECT_LE(Lines(), 51);
    }
}

TEST_F(RecentActivity, ApplicationLinesWaitWhileADeviceIsShown)
{
    library.setConnectSucceeds(true);
    engine.TimerConnectTimer();
    Activity().setFilterIndex(1);
    EXPECT_TRUE(
        Activity().memo()->toPlainText().contains(QStringLiteral("[D0] Initializing device D0")));
    engine.AddToActivityLog(-1, QStringLiteral("for the application"));
    EXPECT_FALSE(LastLine().contains(QStringLiteral("for the application")));
    engine.AddToActivityLog(0, QStringLiteral("for D0"));
    EXPECT_TRUE(LastLine().endsWith(QStringLiteral("[D0] for D0")));
    Activity().setFilterIndex(0);
    EXPECT_TRUE(LastLine().endsWith(QStringLiteral("for the application")));
}

TEST_F(RecentActivity, ANarrowMemoShowsTheStartOfTheNewestLine)
{
    window.frameOf(&Activity())->resize(300, 300);
    window.show();
    for (int n = 0; n < 30; ++n)
        engine.AddToActivityLog(-1, QStringLiteral("a line far wider than the memo ").repeated(4));
    QCoreApplication::sendPostedEvents();
    const QPlainTextEdit *memo = Activity().memo();
    EXPECT_EQ(memo->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(memo->verticalScrollBar()->value(), memo->verticalScrollBar()->maximum());
}
