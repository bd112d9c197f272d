#include "ToolProcess.h"

#include <gtest/gtest.h>

using kelpora::testing::ToolProcess;

TEST(AlmanacTool, PrintsOneLinePerDateInTheGivenOrder)
{
    const ToolProcess::Outcome o
        = ToolProcess::tool("kelpora-almanac", {QStringLiteral("2024/04/09"), QStringLiteral("2025/7/25")});
    EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_EQ(o.out, QStringLiteral("2024/04/09 旧暦 3/1 大潮 月齢 0.4\n2025/07/25 旧暦 閏6/1 大潮 月齢 0.3\n"));
}

TEST(AlmanacTool, ABadDateIsNamedAndNothingIsPrinted)
{
    for (const char* bad : {"2024/02/30", "2024-04-09", "1600/01/01"}) {
        const ToolProcess::Outcome o
            = ToolProcess::tool("kelpora-almanac", {QStringLiteral("2024/04/09"), QString::fromLatin1(bad)});
        EXPECT_EQ(o.exitCode, 1) << bad;
        EXPECT_TRUE(o.out.isEmpty()) << bad;
        EXPECT_TRUE(o.err.contains(QStringLiteral("日付「%1」").arg(QString::fromLatin1(bad)))) << o.err.toStdString();
    }
}
