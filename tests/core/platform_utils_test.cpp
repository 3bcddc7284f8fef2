#include "clock.h"
#include "fake_clock.h"
#include "platform_utils.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vantor;

TEST(StrToIntDefault, ReadsDecimalAndHexadecimalOrGivesTheDefault)
{
    struct Case {
        const char *text;
        int expected;
    };
    constexpr int min = -2147483647 - 1;
    const Case cases[] = {
        {"12a", 77},         {"-5", -5},
        {"  42", 42},        {"+3", 3},
        {"$1F", 31},         {"0x10", 16},
        {"0X1f", 31},        {"$FFFFFFFF", -1},
        {"$100000000", 77},  {"2147483647", 2147483647},
        {"2147483648", 77},  {"-2147483648", -2147483647 - 1},
        {"-2147483649", 77}, {"", 77},
        {" ", 77},           {"-", 77},
        {"0x", 77},          {"$", 77},
        {"12 ", 77},         {"1.5", 77},
        {"-$1F", -31},       {"-$FFFFFFFF", 1},
        {"-$80000000", min}, {"-0x80000000", min},
        {"\xd9\xa3", 77}, // a non-ASCII digit is no digit here
    };
    for (const Case &c : cases)
        EXPECT_EQ(StrToIntDefault(QString::fromUtf8(c.text), 77), c.expected) << c.text;
}

TEST(PlatformUtils, ZeroPadAndIsBitSet)
{
    EXPECT_EQ(ZeroPad(7, 2), QStringLiteral("07"));
    EXPECT_EQ(ZeroPad(123, 2), QStringLiteral("123"));
    EXPECT_EQ(ZeroPad(0, 3), QStringLiteral("000"));
    EXPECT_TRUE(IsBitSet(0b10, 1));
    EXPECT_FALSE(IsBitSet(0b10, 0));
    EXPECT_TRUE(IsBitSet(0b10, 33)); // the bit number wraps at 32
    EXPECT_TRUE(IsBitSet(0x80000000u, 31));
}

TEST(PlatformUtils, SafeFileNameReplacesEveryForbiddenCharacter)
{
    EXPECT_EQ(SafeFileName(QStringLiteral("FM 1: Main/Backup?")),
              QStringLiteral("FM 1_ Main_Backup_"));
    const QString all = QStringLiteral("a*?/\\#%:|\"<>^\x01\tz");
    const QString safe = SafeFileName(all);
    EXPECT_EQ(safe.size(), all.size());
    EXPECT_EQ(safe, QStringLiteral("a______________z"));
    EXPECT_EQ(SafeFileName(QStringLiteral("Radio 1 - (Süd) & more")),
              QStringLiteral("Radio 1 - (Süd) & more"));
}

TEST(PlatformUtils, SafeFileNameNeverNamesAFolderOrItsParent)
{
    const struct {
        const char *name;
        const char *safe;
    } cases[] = {
        {".", "_"},
        {"..", "__"},
        {"...", "___"},
        {" ", "_"},
        {". .", "___"},
        {" .. ", "____"},
        {"..a", "..a"},
        {"a.", "a."},
        {"Radio 1", "Radio 1"},
        {".hidden", ".hidden"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SafeFileName(QLatin1String(c.name)), QLatin1String(c.safe)) << c.name;
}

TEST(PlatformUtils, DataFileNameShortensTheNameSoTheWholeNameFits)
{
    const auto bytes = [](const QString &name) { return QFile::encodeName(name).size(); };
    const QString ending = QStringLiteral(" - 2024-05-01 12-00-05 - histogram.csv");

    // Names that fit are only made safe.
    EXPECT_EQ(DataFileName(QStringLiteral("Radio/1"), ending), QStringLiteral("Radio_1") + ending);
    const QString exact = QString(MaxFileNameBytes - ending.size(), QLatin1Char('x'));
    EXPECT_EQ(DataFileName(exact, ending), exact + ending);

    // Two-byte letters, three-byte ideographs and four-byte symbols (a
    // surrogate pair each) are cut whole, from the end of the name.
    const struct {
        QString unit;
        int unitBytes;
    } names[] = {
        {QStringLiteral("a"), 1},
        {QString::fromUtf8("\xc3\xbc"), 2},
        {QString::fromUtf8("\xe6\x97\xa5"), 3},
        {QString::fromUtf8("\xf0\x9f\x93\xbb"), 4},
    };
    for (const auto &n : names) {
        const QString name = QStringLiteral("Long ") + n.unit.repeated(300);
        const QString result = DataFileName(name, ending);
        EXPECT_TRUE(result.endsWith(ending)) << n.unitBytes;
        EXPECT_LE(bytes(result), MaxFileNameBytes) << n.unitBytes;
        EXPECT_GT(bytes(result), MaxFileNameBytes - n.unitBytes) << "no more cut than needed";
        EXPECT_TRUE(name.startsWith(result.chopped(ending.size()))) << n.unitBytes;
        EXPECT_FALSE(result.chopped(ending.size()).back().isHighSurrogate()) << n.unitBytes;
    }

    // A name of only dots and blanks, or none, gives a visible file name
    // whatever the ending; a name with anything else in it keeps its own.
    const struct {
        const char *name;
        const char *expected;
    } visible[] = {
        {"..", "__.csv"},   {".", "_.csv"},     {"", "_.csv"},    {" ", "_.csv"},
        {" . ", "___.csv"}, {"..x", "..x.csv"}, {"a.", "a..csv"}, {" Radio 1", " Radio 1.csv"},
    };
    for (const auto &c : visible) {
        EXPECT_EQ(DataFileName(QString::fromLatin1(c.name), QStringLiteral(".csv")),
                  QString::fromLatin1(c.expected))
            << '"' << c.name << '"';
    }
    EXPECT_EQ(DataFileName(QStringLiteral(".."), QStringLiteral(" - histogram.jpg")),
              QStringLiteral("__ - histogram.jpg"));

    // A name that is cut to dots and blanks is still no folder name.
    EXPECT_EQ(DataFileName(QString(300, QLatin1Char('.')) + QStringLiteral("x"), QString()),
              QString(MaxFileNameBytes, QLatin1Char('_')));
}

TEST(PlatformUtils, BadEmailAddress)
{
    struct Case {
        const char *address;
        bool bad;
    };
    const Case cases[] = {
        {"ops@example.com", false},
        {"a@b.c.", false}, // only the first full stop counts
        {"@example.com", true},
        {"ops@.example.com", true},
        {"ops@example.", true},
        {"ops@example", true},
        {"ops.example.com", true},
        {"", true},
        {"@", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(BadEmailAddress(QLatin1String(c.address)), c.bad) << c.address;
}

TEST(PlatformUtils, DataFolderName)
{
    EXPECT_EQ(DataFolderName(QStringLiteral("C:\\vantor.exe")), QStringLiteral("vantor_exe"));
    EXPECT_EQ(DataFolderName(QStringLiteral("C:\\Vantor\\vantor.exe")), QStringLiteral("Vantor"));
    EXPECT_EQ(DataFolderName(QStringLiteral("C:\\Program Files\\Vantor\\vantor.exe")),
              QStringLiteral("Vantor"));
    EXPECT_EQ(DataFolderName(QStringLiteral("/opt/Vantor/vantor")), QStringLiteral("Vantor"));
    EXPECT_EQ(DataFolderName(QStringLiteral("/vantor.bin")), QStringLiteral("vantor_bin"));
}

TEST(PlatformUtils, GetDataFolderFallsBackToTheProgramFolderAndCreatesOneLevel)
{
    QTemporaryDir tmp;
    const QString exe = tmp.path() + QStringLiteral("/Station/vantor");
    EXPECT_EQ(GetDataFolder(true, QString(), QStringLiteral("/exe/"), exe),
              QStringLiteral("/exe/"));
    const QString folder = GetDataFolder(true, tmp.path(), QStringLiteral("/exe/"), exe);
    EXPECT_EQ(folder, tmp.path() + QStringLiteral("/Station/"));
    EXPECT_TRUE(QDir(folder).exists());
}

namespace {
void Touch(const QString &path, const QDateTime &written)
{
    ASSERT_TRUE(vantor::test::writeAllWrittenAt(path, written));
}
} // namespace

TEST(DeleteFilesOlderThan, DeletesOnlyFilesPastTheLimitAndKeepsFolders)
{
    QTemporaryDir tmp;
    const QDateTime now(QDate(2024, 5, 31), QTime(12, 0));
    FakeClock clock(now);
    const QString root = tmp.path() + QLatin1Char('/');
    QDir(root).mkpath(QStringLiteral("Station A/deep"));

    Touch(root + QStringLiteral("young.log"), now.addDays(-30).addSecs(-23 * 3600));
    Touch(root + QStringLiteral("old.log"), now.addDays(-31));
    Touch(root + QStringLiteral("old-no-extension"), now.addDays(-40));
    Touch(root + QStringLiteral("Station A/old.csv"), now.addDays(-45));
    Touch(root + QStringLiteral("Station A/deep/old.jpg"), now.addDays(-45));
    Touch(root + QStringLiteral("Station A/new.csv"), now.addDays(-1));
    Touch(root + QStringLiteral("future.log"), now.addDays(40));

    DeleteFilesOlderThan(root, 30, QStringLiteral("*"), clock);

    EXPECT_TRUE(QFile::exists(root + QStringLiteral("young.log")));
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("old.log")));
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("old-no-extension")));
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("Station A/old.csv")));
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("Station A/deep/old.jpg")));
    EXPECT_TRUE(QFile::exists(root + QStringLiteral("Station A/new.csv")));
    EXPECT_TRUE(QFile::exists(root + QStringLiteral("future.log")));
    EXPECT_TRUE(QDir(root + QStringLiteral("Station A/deep")).exists());
}

TEST(DeleteFilesOlderThan, PatternSelectsFilesAtTheTopLevelOnly)
{
    QTemporaryDir tmp;
    const QDateTime now(QDate(2024, 5, 31), QTime(12, 0));
    FakeClock clock(now);
    const QString root = tmp.path() + QLatin1Char('/');
    QDir(root).mkpath(QStringLiteral("sub.d"));
    Touch(root + QStringLiteral("a.log"), now.addDays(-60));
    Touch(root + QStringLiteral("a.csv"), now.addDays(-60));
    Touch(root + QStringLiteral("sub.d/b.csv"), now.addDays(-60));

    DeleteFilesOlderThan(root, 30, QStringLiteral("log"), clock);

    EXPECT_FALSE(QFile::exists(root + QStringLiteral("a.log")));
    EXPECT_TRUE(QFile::exists(root + QStringLiteral("a.csv")));
    // Only folders matching the pattern are entered; below, everything goes.
    EXPECT_TRUE(QFile::exists(root + QStringLiteral("sub.d/b.csv")));
}
