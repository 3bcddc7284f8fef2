#include "file_size_limit.h"
#include "ini_file.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantor;
using vantor::test::FileSizeLimit;
using vantor::test::readAll;
using vantor::test::writeAll;

namespace {
// Mixed line endings, comments, a duplicate section and a last line without
// its ending, as a hand-edited file may have them.
const QByteArray ReadFixture = "; written by hand\r\n"
                               "orphan=before any section\r\n"
                               "[General]\r\n"
                               "Plain=abc\r\n"
                               "  Spaced Key   =   value with blanks   \r\n"
                               "MiXeD=case\n"
                               "Equals=a=b=c\r\n"
                               "DQ=\"quoted value\"\r\n"
                               "SQ='single'\r\n"
                               "Mismatch=\"open'\r\n"
                               "Lone=\"\r\n"
                               "Inner=a \"b\" c\r\n"
                               "OnlyLeft=\"abc\r\n"
                               "EmptyQuotes=\"\"\r\n"
                               "QuotedBlanks=\"  padded  \"\r\n"
                               "NoEquals\r\n"
                               "Empty=\r\n"
                               "Dup=first\r\n"
                               "dup=second\r\n"
                               "Tab=\ttabbed\t\r\n"
                               ";Commented=yes\r\n"
                               "Latin=caf\xe9\r\n"
                               "[ Spaced Section ]\r\n"
                               "K=inner\r\n"
                               "[general]\r\n"
                               "Plain=duplicate section\r\n"
                               "Extra=only here\r\n"
                               "[Numbers]\r\n"
                               "Dec=42\r\n"
                               "Neg= -17\r\n"
                               "Plus=+5\r\n"
                               "Hex=0x1F\r\n"
                               "HexUpper=0XfF\r\n"
                               "Dollar=$10\r\n"
                               "HexAll=0xFFFFFFFF\r\n"
                               "Quoted=\"12\"\r\n"
                               "Min=-2147483648\r\n"
                               "Big=2147483648\r\n"
                               "Bad=12a\r\n"
                               "Float=1.5\r\n"
                               "Inside=1 2\r\n"
                               "HexOnly=0x\r\n"
                               "Blank=\r\n"
                               "Zero=0\r\n"
                               "Two=2\r\n"
                               "[Last]\r\n"
                               "NoLineEnd=end";

struct StringCase {
    const char *section;
    const char *key;
    QString expected;
};

struct IntegerCase {
    const char *key;
    int expected; // with the default 7
};

class IniRead : public ::testing::Test
{
protected:
    void SetUp() override
    {
        path = dir.filePath(QStringLiteral("read.ini"));
        ASSERT_TRUE(writeAll(path, ReadFixture));
    }
    QTemporaryDir dir;
    QString path;
};
} // namespace

TEST_F(IniRead, StringsFollowTheProfileRules)
{
    const IniFile ini(path);
    const QString def = QStringLiteral("<def>");
    const StringCase cases[] = {
        {"General", "Plain", QStringLiteral("abc")},
        {"GENERAL", "plain", QStringLiteral("abc")},
        {"General", "Spaced Key", QStringLiteral("value with blanks")},
        {"General", "mixed", QStringLiteral("case")},
        {"General", "Equals", QStringLiteral("a=b=c")},
        {"General", "DQ", QStringLiteral("quoted value")},
        {"General", "SQ", QStringLiteral("single")},
        {"General", "Mismatch", QStringLiteral("\"open'")},
        {"General", "Lone", QStringLiteral("\"")},
        {"General", "Inner", QStringLiteral("a \"b\" c")},
        {"General", "OnlyLeft", QStringLiteral("\"abc")},
        {"General", "EmptyQuotes", QString()},
        {"General", "QuotedBlanks", QStringLiteral("  padded  ")},
        {"General", "NoEquals", def},
        {"General", "Empty", QString()},
        {"General", "Dup", QStringLiteral("first")},
        {"General", "Tab", QStringLiteral("tabbed")},
        {"General", ";Commented", def},
        {"General", "Commented", def},
        {"General", "Latin", QStringLiteral("caf") + QChar(0xe9)},
        {"Spaced Section", "K", QStringLiteral("inner")},
        // The second [general] is never reached.
        {"General", "Extra", def},
        {"", "orphan", def},
        {"Last", "NoLineEnd", QStringLiteral("end")},
        {"Missing", "Plain", def},
        {"General", "Missing", def},
    };
    for (const StringCase &c : cases)
        EXPECT_EQ(ini.ReadString(QLatin1String(c.section), QLatin1String(c.key), def), c.expected)
            << c.section << "/" << c.key;
}

TEST_F(IniRead, IntegersAreDecimalOrHexAndOtherwiseTheDefault)
{
    const IniFile ini(path);
    const IntegerCase cases[] = {
        {"Dec", 42},       {"Neg", -17},   {"Plus", 5},    {"Hex", 31},
        {"HexUpper", 255}, {"Dollar", 16}, {"HexAll", -1}, {"Quoted", 12},
        {"Min", INT_MIN},  {"Big", 7},     {"Bad", 7},     {"Float", 7},
        {"Inside", 7},     {"HexOnly", 7}, {"Blank", 7},   {"Missing", 7},
    };
    for (const IntegerCase &c : cases)
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("numbers"), QLatin1String(c.key), 7), c.expected)
            << c.key;
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Nowhere"), QStringLiteral("Dec"), 7), 7);
}

TEST_F(IniRead, BooleansAreIntegersAndAnyNonZeroIsTrue)
{
    const IniFile ini(path);
    const QString numbers = QStringLiteral("Numbers");
    EXPECT_TRUE(ini.ReadBool(numbers, QStringLiteral("Two"), false));
    EXPECT_TRUE(ini.ReadBool(numbers, QStringLiteral("Neg"), false));
    EXPECT_FALSE(ini.ReadBool(numbers, QStringLiteral("Zero"), true));
    EXPECT_TRUE(ini.ReadBool(numbers, QStringLiteral("Bad"), true));
    EXPECT_FALSE(ini.ReadBool(numbers, QStringLiteral("Bad"), false));
    EXPECT_TRUE(ini.ReadBool(numbers, QStringLiteral("Missing"), true));
}

TEST(IniFile, ValuesAndDefaultsAreCutAt2047Characters)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.ini"));
    const QByteArray longValue(3000, 'x');
    const QByteArray exact(2047, 'y');
    ASSERT_TRUE(writeAll(path, "[S]\r\nLong=" + longValue + "\r\nQuoted=\"" + exact + "\"\r\n"));
    const IniFile ini(path);
    const QString s = QStringLiteral("S");
    EXPECT_EQ(ini.ReadString(s, QStringLiteral("Long"), {}),
              QString::fromLatin1(longValue.left(2047)));
    EXPECT_EQ(ini.ReadString(s, QStringLiteral("Quoted"), {}), QString::fromLatin1(exact));
    EXPECT_EQ(ini.ReadString(s, QStringLiteral("Missing"), QString::fromLatin1(longValue)).size(),
              2047);
}

TEST(IniFile, MissingFileReadsAsEmptyAndIsCreatedOnUpdate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.ini"));
    IniFile ini(path);
    EXPECT_EQ(ini.path(), path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("d")),
              QStringLiteral("d"));
    ini.WriteInteger(QStringLiteral("General"), QStringLiteral("Count"), -3);
    ini.WriteBool(QStringLiteral("General"), QStringLiteral("On"), false);
    ini.WriteString(QStringLiteral("Item0"), QStringLiteral("Name"), QStringLiteral("A"));
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(readAll(path), "[General]\r\nCount=-3\r\nOn=0\r\n[Item0]\r\nName=A\r\n");
}

TEST(IniFile, WritesReplaceInPlaceAppendInSectionAndEraseNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("write.ini"));
    ASSERT_TRUE(writeAll(path, "; settings\r\n"
                               "[Email]\r\n"
                               "From=a@b\r\n"
                               "  Subject = Old  \r\n"
                               "\r\n"
                               "; end of email\r\n"
                               "[General]\n"
                               "Count=1\n"
                               "NoValue\n"
                               "Keep = \"as it was\"  \n"
                               "[Email]\r\n"
                               "From=duplicate\r\n"
                               "[Empty]\r\n"
                               "[Tail]\r\n"
                               "Last=x"));
    IniFile ini(path);
    const QString email = QStringLiteral("Email");
    const QString general = QStringLiteral("General");
    ini.WriteString(QStringLiteral("email"), QStringLiteral("SUBJECT"), QStringLiteral("New"));
    ini.WriteString(email, QStringLiteral("To"), QStringLiteral("c@d"));
    ini.WriteString(email, QStringLiteral("From"), QStringLiteral("z@y"));
    ini.WriteInteger(general, QStringLiteral("Count"), 2);
    ini.WriteString(general, QStringLiteral("novalue"), QStringLiteral("v"));
    ini.WriteBool(general, QStringLiteral("Flag"), true);
    ini.WriteString(QStringLiteral("Empty"), QStringLiteral("K"), QStringLiteral("1"));
    ini.WriteString(QStringLiteral("New"), QStringLiteral("Key"),
                    QStringLiteral("caf") + QChar(0xe9));
    ini.WriteString(QStringLiteral("New"), QStringLiteral("Second"),
                    QStringLiteral("two\r\nlines"));
    ini.WriteString(email, QStringLiteral("Cc"), QStringLiteral("e@f"));

    // The object reads its own writes before anything is on disk.
    EXPECT_EQ(ini.ReadString(email, QStringLiteral("subject"), {}), QStringLiteral("New"));
    EXPECT_EQ(ini.ReadInteger(general, QStringLiteral("Count"), 0), 2);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(readAll(path), QByteArray("; settings\r\n"
                                        "[Email]\r\n"
                                        "From=z@y\r\n"
                                        "Subject=New\r\n"
                                        "To=c@d\r\n"
                                        "Cc=e@f\r\n"
                                        "\r\n"
                                        "; end of email\r\n"
                                        "[General]\r\n"
                                        "Count=2\r\n"
                                        "NoValue=v\r\n"
                                        "Keep = \"as it was\"  \r\n"
                                        "Flag=1\r\n"
                                        "[Email]\r\n"
                                        "From=duplicate\r\n"
                                        "[Empty]\r\n"
                                        "K=1\r\n"
                                        "[Tail]\r\n"
                                        "Last=x\r\n"
                                        "[New]\r\n"
                                        "Key=caf\xe9\r\n"
                                        "Second=two  lines\r\n"));

    const IniFile reread(path);
    EXPECT_EQ(reread.ReadString(QStringLiteral("new"), QStringLiteral("key"), {}),
              QStringLiteral("caf") + QChar(0xe9));
    EXPECT_EQ(reread.ReadString(general, QStringLiteral("Keep"), {}), QStringLiteral("as it was"));
}

namespace {
QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Makes the process an ordinary user while it lives: root writes into any
// folder, so a read-only folder only stops a process without that power.
class OrdinaryUser
{
public:
    OrdinaryUser()
    {
        if (geteuid() == 0)
            m_switched = seteuid(65534) == 0;
    }
    ~OrdinaryUser()
    {
        if (m_switched) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }
    // False when the process keeps the power to write anywhere.
    bool Ordinary() const { return geteuid() != 0; }
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

private:
    bool m_switched = false;
};

const QByteArray OldContent = "[General]\r\nDeviceCount=3\r\n";
} // namespace

TEST(IniFileUpdate, ReadOnlyFolderFailsAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devices.ini"));
    ASSERT_TRUE(writeAll(path, OldContent));
    IniFile ini(path);
    ini.WriteInteger(QStringLiteral("General"), QStringLiteral("DeviceCount"), 0);
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                      QFile::ReadOther | QFile::ExeOther));
    bool updated = true;
    {
        const OrdinaryUser user;
        if (!user.Ordinary())
            GTEST_SKIP() << "cannot give up root";
        updated = ini.UpdateFile();
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(updated);
    EXPECT_EQ(readAll(path), OldContent);
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("devices.ini")});
}

TEST(IniFileUpdate, FullDiskMidWriteFailsAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alarms.ini"));
    ASSERT_TRUE(writeAll(path, OldContent));
    IniFile ini(path);
    for (int k = 0; k < 200; ++k)
        ini.WriteString(QStringLiteral("AlarmSet") + QString::number(k), QStringLiteral("Name"),
                        QStringLiteral("set"));
    bool updated = true;
    {
        const FileSizeLimit full(100);
        updated = ini.UpdateFile();
    }
    EXPECT_FALSE(updated);
    EXPECT_EQ(readAll(path), OldContent);
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("alarms.ini")});
    // Once there is room again the same content goes out whole.
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(IniFile(path).ReadString(QStringLiteral("AlarmSet199"), QStringLiteral("Name"), {}),
              QStringLiteral("set"));
    EXPECT_EQ(Entries(dir.path()), QStringList{QStringLiteral("alarms.ini")});
}

TEST(IniFileUpdate, UnreadableFileIsNotOverwritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stations.ini"));
    ASSERT_TRUE(writeAll(path, OldContent));
    const auto all = [](QFileDevice::Permissions owner) {
        return owner | QFileDevice::Permissions::fromInt(owner.toInt() >> 4) |
               QFileDevice::Permissions::fromInt(owner.toInt() >> 8);
    };
    ASSERT_TRUE(QFile::setPermissions(path, all(QFile::WriteOwner)));
    // The folder itself is open to everyone: only the file's content is out of reach.
    ASSERT_TRUE(QFile::setPermissions(dir.path(),
                                      all(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)));
    bool updated = true;
    {
        const OrdinaryUser user;
        if (!user.Ordinary())
            GTEST_SKIP() << "cannot give up root";
        IniFile ini(path);
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("General"), QStringLiteral("DeviceCount"), 0), 0);
        ini.WriteInteger(QStringLiteral("General"), QStringLiteral("StationCount"), 1);
        updated = ini.UpdateFile();
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_FALSE(updated);
    EXPECT_EQ(readAll(path), OldContent);
}

TEST(IniFileUpdate, MissingFolderFails)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("gone/config.ini")));
    ini.WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("V"));
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_TRUE(Entries(dir.path()).isEmpty());
}

TEST(IniFileUpdate, OwnerOnlyFilesAreNeverMoreOpenThanReadWriteForTheOwner)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    // Owner, group and others; the "user" flags only repeat the owner's.
    const auto modeOf = [](const QString &file) {
        return QFileInfo(file).permissions() & QFileDevice::Permissions::fromInt(0x7077);
    };
    const auto mode = [&] { return modeOf(path); };
    const QFileDevice::Permissions rw = QFile::ReadOwner | QFile::WriteOwner;
    const QFileDevice::Permissions open = rw | QFile::ReadGroup | QFile::ReadOther;
    const QFileDevice::Permissions shared = rw | QFile::ReadGroup | QFile::WriteGroup;
    const mode_t previousMask = umask(022);

    IniFile created(path);
    created.WriteString(QStringLiteral("General"), QStringLiteral("SmtpPassword"),
                        QStringLiteral("secret"));
    ASSERT_TRUE(created.UpdateFile(IniFile::Access::OwnerOnly));
    EXPECT_EQ(mode(), rw) << "a new file";

    const struct {
        QFileDevice::Permissions before;
        QFileDevice::Permissions after;
    } cases[] = {{open, rw}, {shared, rw}, {rw, rw}};
    for (const auto &c : cases) {
        ASSERT_TRUE(QFile::setPermissions(path, c.before));
        IniFile ini(path);
        ini.WriteInteger(QStringLiteral("General"), QStringLiteral("Saved"), 1);
        ASSERT_TRUE(ini.UpdateFile(IniFile::Access::OwnerOnly)) << c.before.toInt();
        EXPECT_EQ(mode(), c.after) << std::hex << c.before.toInt();
    }

    // Other files keep what they have, and new ones get the usual mode.
    const QString other = dir.filePath(QStringLiteral("stations.ini"));
    IniFile fresh(other);
    fresh.WriteInteger(QStringLiteral("General"), QStringLiteral("StationCount"), 0);
    ASSERT_TRUE(fresh.UpdateFile());
    EXPECT_EQ(modeOf(other), open);
    const QFileDevice::Permissions groupWrite = open | QFile::WriteGroup;
    ASSERT_TRUE(QFile::setPermissions(other, groupWrite));
    ASSERT_TRUE(IniFile(other).UpdateFile());
    EXPECT_EQ(modeOf(other), groupWrite);
    umask(previousMask);
}
