#include "command_line.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vantor;

namespace {
CommandLineResult Parse(std::initializer_list<const char *> args)
{
    QStringList list{QStringLiteral("vantor")};
    for (const char *a : args)
        list << QString::fromLatin1(a);
    return ParseCommandLine(list);
}
} // namespace

TEST(CommandLine, RunOptions)
{
    const auto r = Parse({"--headless", "--data-dir", "/srv/station"});
    ASSERT_TRUE(r.options);
    EXPECT_TRUE(r.options->headless);
    EXPECT_EQ(r.options->dataDir, QStringLiteral("/srv/station"));
    EXPECT_EQ(ResolveDataFolder(*r.options), QStringLiteral("/srv/station"));

    const auto plain = Parse({});
    ASSERT_TRUE(plain.options);
    EXPECT_FALSE(plain.options->headless);
}

TEST(CommandLine, HelpAndVersionPrintAndExitZero)
{
    for (const auto *arg : {"--help", "-h", "--version"}) {
        const auto r = Parse({arg});
        EXPECT_FALSE(r.options) << arg;
        EXPECT_EQ(r.exitCode, 0) << arg;
        EXPECT_FALSE(r.output.isEmpty()) << arg;
        EXPECT_TRUE(r.error.isEmpty()) << arg;
    }
}

TEST(CommandLine, BadInputIsOneLineAndExitCodeTwo)
{
    const std::vector<std::vector<const char *>> cases = {
        {"--bogus"}, {"--data-dir"}, {"--data-dir", ""}, {"stray"}, {"--headless", "-x"}};
    for (const auto &args : cases) {
        QStringList list{QStringLiteral("vantor")};
        for (const char *a : args)
            list << QString::fromLatin1(a);
        const auto r = ParseCommandLine(list);
        EXPECT_FALSE(r.options) << list.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_FALSE(r.error.isEmpty());
        EXPECT_FALSE(r.error.contains(QLatin1Char('\n')));
    }
}

TEST(CommandLine, EnvironmentChoosesTheDataFolderWhenNoOptionDoes)
{
    qputenv("VANTOR_DATA_DIR", "/tmp/vantor-env-folder");
    EXPECT_EQ(ResolveDataFolder(CommandLine{}), QStringLiteral("/tmp/vantor-env-folder"));
    CommandLine explicitFolder;
    explicitFolder.dataDir = QStringLiteral("/tmp/other");
    EXPECT_EQ(ResolveDataFolder(explicitFolder), QStringLiteral("/tmp/other"));
    qunsetenv("VANTOR_DATA_DIR");
    EXPECT_TRUE(ResolveDataFolder(CommandLine{}).endsWith(QStringLiteral("/Vantor")));
}
