#include "preferences.h"
#include "test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace vantor;
using vantor::test::readAll;
using vantor::test::writeAll;

namespace {
QByteArray Crlf(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

class PreferencesFile : public ::testing::Test
{
protected:
    QString Path(const char *name) const { return dir.filePath(QLatin1String(name)); }

    // Preferences loaded from a "config.ini" holding text.
    Preferences Loaded(const QByteArray &text, const QStringList &devices = {})
    {
        const QString path = Path("in.ini");
        EXPECT_TRUE(writeAll(path, text));
        Preferences prefs;
        prefs.SetDeviceNames(devices);
        prefs.Load(IniFile(path));
        return prefs;
    }

    QByteArray Saved(const Preferences &prefs, const QByteArray &before = {})
    {
        const QString path = Path("out.ini");
        EXPECT_TRUE(writeAll(path, before));
        IniFile ini(path);
        prefs.Save(ini);
        EXPECT_TRUE(ini.UpdateFile());
        return readAll(path);
    }

    QTemporaryDir dir;
};

// What a first save writes with every setting at its default, one device.
const QByteArray FreshSave = Crlf(R"([Email]
From=@
Subject=Vantor Alarm Message
Signature=
SMTPServer=
Username=
Password=
To=@
Enable=0
SendDailyReports=0
Authenticate=0
TLS=0
RetryMinutes=60
[General]
ConnectionTimeout=30
ConnectionAttempts=20
ConnectionBytes=500
IgnoreValues=1
QualityValue=1
SameAlarmDelay=60
RDSTCPOutput=0
RDSLumexAuto=0
RDSLumexDevice=0
RDSTCPPort=16
RDSLumexPath=/usr/local/bin/rdslumex
RDSPtyNames=0
LogHistogram=1
SaveHistogram=0
LogRDS=1
LogMeasuring=1
LoggingPeriod=1
LineComposition=#"datetime";"Signal Quality";"Level";"MAX";"Pilot";"RDS";"Pm"#
DeviationLimit=75
DeviationTolerance=1
DeleteOld=0
DeleteOlderThan=30
GraphWidth=640
GraphHeight=480
GraphExt=1
Structure=0
KeepGraphs=0
LogGraph1=0
LogGraph2=0
LogGraph3=0
LogGraph4=0
LogGraph5=0
LogGraph6=0
LogGraph7=0
LogGraph8=0
LogGraph9=0
LogGraph10=0
LogGraph11=0
LogGraph12=0
LogGraph13=0
LogGraph14=0
MainTop=10
MainLeft=10
MainHeight=700
MainWidth=980
State=0
Form2State=0
Form2Top=380
Form2Left=0
Form2Height=220
Form2Width=820
Form3State=0
Form3Top=0
Form3Left=0
Form3Height=380
Form3Width=650
Accumulated=0
Form4State=0
Form4Top=0
Form4Left=440
Form4Height=250
Form4Width=524
Form5State=0
Form5Top=100
Form5Left=100
Form5Height=420
Form5Width=700
GraphValue1=0
GraphValue2=0
GraphValue3=0
GraphRate=2
GraphXAxis=0
GraphAuto=1
GraphManual=0
GraphYMin=0
GraphYMax=100
RecentDataShow=0
ImmediateFrequency=0
[SNMP]
Enable=0
AgentXSocket=
[Webhook]
URL1=
Secret1=
URL2=
Secret2=
URL3=
Secret3=
URL4=
Secret4=
)");
} // namespace

TEST_F(PreferencesFile, EmptyFileGivesEveryDefaultInTheFileOrder)
{
    EXPECT_EQ(Loaded({}), Preferences{});
    EXPECT_EQ(Saved(Loaded({}, {QStringLiteral("K10 north")})), FreshSave);
}

TEST_F(PreferencesFile, NumbersAreClampedAndIndexesCheckedOnReadingAndSavedAsHeld)
{
    struct Case {
        const char *key;
        const char *stored;
        int held;
    };
    const Case cases[] = {
        {"ConnectionTimeout", "5", 20},
        {"ConnectionAttempts", "100000", 99999},
        {"ConnectionBytes", "abc", 500},
        {"SameAlarmDelay", "0x40", 64},
        {"RDSTCPPort", "0", 1},
        {"RDSTCPPort", "70000", 65535},
        {"LoggingPeriod", "-4", 1},
        {"DeviationLimit", "200", 100},
        {"DeviationTolerance", "$FFFFFFFF", 0},
        {"DeleteOlderThan", "12", 12},
        {"GraphWidth", "10", 80},
        {"GraphHeight", "5000", 1200},
        {"GraphYMin", "-50", -20},
        {"GraphYMax", "999", 500},
        {"QualityValue", "2", -1},
        {"QualityValue", "0", 0},
        {"GraphValue3", "14", 14},
        {"GraphValue1", "15", -1},
        {"GraphRate", "7", 7},
        {"GraphRate", "8", -1},
        {"GraphXAxis", "-1", -1},
        {"RecentDataShow", "3", 3},
        {"RecentDataShow", "4", -1},
        {"ImmediateFrequency", "440", 440},
        {"ImmediateFrequency", "441", -1},
        {"RDSLumexDevice", "1", 1},
        {"RDSLumexDevice", "2", -1},
        {"GraphExt", "5", 1},
        {"GraphExt", "-3", -1},
        {"Structure", "1", 1},
        {"Structure", "2", 1},
        {"Form3State", "7", WindowNormal},
        {"Form3State", "2", WindowMinimised},
        {"State", "1", WindowMaximised},
        {"MainTop", "-5", -5},
        {"Form2Width", "123456", 123456},
    };
    const QStringList devices{QStringLiteral("A"), QStringLiteral("B")};
    for (const Case &c : cases) {
        const QByteArray line = QByteArray(c.key) + '=' + c.stored + "\r\n";
        const Preferences prefs = Loaded("[General]\r\n" + line, devices);
        EXPECT_EQ(prefs.Integer(QLatin1String(c.key)), c.held) << line.constData();
        const QString out = Path("out.ini");
        Saved(prefs);
        EXPECT_EQ(IniFile(out).ReadString(QStringLiteral("General"), QLatin1String(c.key), {}),
                  QString::number(c.held))
            << line.constData();
    }
}

TEST(Preferences, SettersHoldWhatTheControlWould)
{
    Preferences prefs;
    prefs.SetInteger(QStringLiteral("ConnectionTimeout"), 5);
    EXPECT_EQ(prefs.Integer(QStringLiteral("ConnectionTimeout")), 20);
    prefs.SetInteger(QStringLiteral("GraphExt"), 9);
    EXPECT_EQ(prefs.Integer(QStringLiteral("GraphExt")), 1);

    // No device yet: nothing can be selected; a list that shrinks drops a
    // selection beyond its end.
    prefs.SetInteger(QStringLiteral("RDSLumexDevice"), 0);
    EXPECT_EQ(prefs.Integer(QStringLiteral("RDSLumexDevice")), -1);
    prefs.SetDeviceNames({QStringLiteral("A"), QStringLiteral("B")});
    prefs.SetInteger(QStringLiteral("RDSLumexDevice"), 1);
    EXPECT_EQ(prefs.Integer(QStringLiteral("RDSLumexDevice")), 1);
    prefs.SetDeviceNames({QStringLiteral("A")});
    EXPECT_EQ(prefs.Integer(QStringLiteral("RDSLumexDevice")), -1);

    // The y-axis choice is a radio pair.
    prefs.SetFlag(QStringLiteral("GraphManual"), true);
    EXPECT_FALSE(prefs.Flag(QStringLiteral("GraphAuto")));
    prefs.SetFlag(QStringLiteral("GraphAuto"), true);
    EXPECT_FALSE(prefs.Flag(QStringLiteral("GraphManual")));
    prefs.SetFlag(QStringLiteral("GraphAuto"), false);
    EXPECT_FALSE(prefs.Flag(QStringLiteral("GraphAuto")));
    EXPECT_FALSE(prefs.Flag(QStringLiteral("GraphManual")));

    const WindowPlacement placed{1, 2, 3, 4, 9};
    prefs.SetPlacement(AppWindow::AlarmDetails, placed);
    EXPECT_EQ(prefs.Placement(AppWindow::AlarmDetails),
              (WindowPlacement{1, 2, 3, 4, WindowNormal}));
    EXPECT_EQ(prefs.Integer(QStringLiteral("Form4Height")), 4);
}

TEST(Preferences, UnknownKeyOrWrongKindIsAProgrammingError)
{
    Preferences prefs;
    EXPECT_THROW(prefs.Integer(QStringLiteral("NoSuchKey")), std::logic_error);
    EXPECT_THROW(prefs.Integer(QStringLiteral("connectiontimeout")), std::logic_error);
    EXPECT_THROW(prefs.Flag(QStringLiteral("ConnectionTimeout")), std::logic_error);
    EXPECT_THROW(prefs.Text(QStringLiteral("Enable")), std::logic_error);
    EXPECT_THROW(prefs.SetInteger(QStringLiteral("From"), 1), std::logic_error);
    EXPECT_THROW(prefs.SetText(QStringLiteral("LogGraph1"), QString()), std::logic_error);
}

TEST(Preferences, PresetsAreQuotedColumnNames)
{
    Preferences prefs;
    EXPECT_EQ(prefs.Text(QStringLiteral("LineComposition")),
              QStringLiteral(R"("datetime";"Signal Quality";"Level";"MAX";"Pilot";"RDS";"Pm")"));
    prefs.ApplyFullPreset();
    const QString full = prefs.Text(QStringLiteral("LineComposition"));
    EXPECT_EQ(full, QStringLiteral(R"("datetime";"MAX";"MAX Hold";"AVE";"MIN";"Pm";"Pilot";)"
                                   R"("RDS";"IF";"Signal Quality";"Level";"RDS Phase Difference";)"
                                   R"("LeftPeak";"RightPeak";"Histogram Max at")"));
    EXPECT_EQ(full.count(QLatin1Char('"')), 30);
    prefs.ApplyDefaultPreset();
    EXPECT_EQ(prefs.Text(QStringLiteral("LineComposition")), Preferences::DefaultComposition());
}

TEST_F(PreferencesFile, LineCompositionLosesItsFirstAndLastCharacter)
{
    struct Case {
        const char *stored;
        const char *text;
    };
    const Case cases[] = {
        {R"(#"date";"MAX"#)", R"("date";"MAX")"},
        // Edited by hand without the wrappers: the quote pair around the whole
        // value goes on reading the file, then the first and last character.
        {R"("date";"MAX")", R"(ate";"MA)"},
        {"date;time", "ate;tim"},
        {"#", ""},
        {"", ""},
    };
    for (const Case &c : cases) {
        const Preferences prefs =
            Loaded(QByteArray("[General]\r\nLineComposition=") + c.stored + "\r\n");
        EXPECT_EQ(prefs.Text(QStringLiteral("LineComposition")), QLatin1String(c.text)) << c.stored;
    }

    // Missing, it keeps what the field holds, and it is saved wrapped.
    Preferences prefs;
    prefs.ApplyFullPreset();
    prefs.Load(IniFile(Path("missing.ini")));
    EXPECT_EQ(prefs.Text(QStringLiteral("LineComposition")), Preferences::FullComposition());
    const QByteArray line =
        "\r\nLineComposition=#" + Preferences::FullComposition().toLatin1() + "#\r\n";
    EXPECT_TRUE(Saved(prefs).contains(line));
}

TEST_F(PreferencesFile, BothRadioKeysSetLeavesTheOneReadLast)
{
    const Preferences prefs = Loaded("[General]\r\nGraphAuto=1\r\nGraphManual=1\r\n");
    EXPECT_FALSE(prefs.Flag(QStringLiteral("GraphAuto")));
    EXPECT_TRUE(prefs.Flag(QStringLiteral("GraphManual")));
}

TEST_F(PreferencesFile, RoundTripKeepsEverySetting)
{
    const QStringList devices{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    Preferences prefs;
    prefs.SetDeviceNames(devices);
    prefs.SetText(QStringLiteral("From"), QStringLiteral("station@example.org"));
    prefs.SetText(QStringLiteral("Signature"), QStringLiteral("Ops desk, room ") + QChar(0xe9));
    prefs.SetText(QStringLiteral("Password"), QStringLiteral("p=w;d"));
    prefs.SetFlag(QStringLiteral("Enable"), true);
    prefs.SetFlag(QStringLiteral("TLS"), true);
    prefs.SetInteger(QStringLiteral("ConnectionTimeout"), 45);
    prefs.SetFlag(QStringLiteral("IgnoreValues"), false);
    prefs.SetInteger(QStringLiteral("QualityValue"), 0);
    prefs.SetInteger(QStringLiteral("RDSLumexDevice"), 2);
    prefs.SetText(QStringLiteral("RDSLumexPath"), QStringLiteral("/opt/lumex/run"));
    prefs.SetText(QStringLiteral("LineComposition"), QStringLiteral(R"("date" ; "time")"));
    prefs.SetInteger(QStringLiteral("Structure"), 1);
    prefs.SetFlag(QStringLiteral("LogGraph1"), true);
    prefs.SetFlag(QStringLiteral("LogGraph14"), true);
    prefs.SetPlacement(AppWindow::Main, {5, 6, 1200, 800, WindowMaximised});
    prefs.SetPlacement(AppWindow::Graph, {7, 8, 300, 200, WindowNormal});
    prefs.SetFlag(QStringLiteral("Accumulated"), true);
    prefs.SetInteger(QStringLiteral("GraphValue2"), 14);
    prefs.SetInteger(QStringLiteral("GraphRate"), 7);
    prefs.SetFlag(QStringLiteral("GraphManual"), true);
    prefs.SetInteger(QStringLiteral("GraphYMin"), -20);
    prefs.SetInteger(QStringLiteral("GraphYMax"), 500);
    prefs.SetInteger(QStringLiteral("RecentDataShow"), 2);
    prefs.SetInteger(QStringLiteral("ImmediateFrequency"), 440);
    prefs.SetFlag(QStringLiteral("SNMPEnable"), true);
    prefs.SetText(QStringLiteral("AgentXSocket"), QStringLiteral("/run/agentx/master"));
    prefs.SetText(QStringLiteral("URL4"), QStringLiteral("https://hooks.example.org/a?b=c&d"));
    prefs.SetText(QStringLiteral("Secret4"), QStringLiteral("s3cr=t;x"));

    const Preferences reloaded = Loaded(Saved(prefs), devices);
    EXPECT_EQ(reloaded, prefs);
    EXPECT_NE(reloaded, Preferences{});
}

TEST_F(PreferencesFile, HiddenChildWindowKeepsItsLastNormalPlacementInTheFile)
{
    const QByteArray before = Crlf("[General]\n"
                                   "MainTop=1\n"
                                   "Form3Top=11\n"
                                   "Form3Left=12\n"
                                   "Form3Width=13\n"
                                   "Form3Height=14\n"
                                   "Form3State=0\n"
                                   "Form4Top=21\n"
                                   "Form4State=0\n");
    Preferences prefs = Loaded(before);
    prefs.SetPlacement(AppWindow::RecentData, {50, 60, 70, 80, WindowMaximised});
    prefs.SetPlacement(AppWindow::AlarmDetails, {90, 91, 92, 93, WindowMinimised});
    prefs.SetPlacement(AppWindow::Main, {30, 31, 32, 33, WindowMaximised});
    Saved(prefs, before);
    const IniFile saved(Path("out.ini"));
    const auto value = [&](const char *key) {
        return saved.ReadString(QStringLiteral("General"), QLatin1String(key), QStringLiteral("-"));
    };
    EXPECT_EQ(value("Form3State"), QStringLiteral("1"));
    EXPECT_EQ(value("Form3Top"), QStringLiteral("11"));
    EXPECT_EQ(value("Form3Left"), QStringLiteral("12"));
    EXPECT_EQ(value("Form3Width"), QStringLiteral("13"));
    EXPECT_EQ(value("Form3Height"), QStringLiteral("14"));
    EXPECT_EQ(value("Form4State"), QStringLiteral("2"));
    EXPECT_EQ(value("Form4Top"), QStringLiteral("21"));
    // Never saved while normal, so none is written.
    EXPECT_EQ(value("Form4Height"), QStringLiteral("-"));
    // The main window's placement is always written.
    EXPECT_EQ(value("MainTop"), QStringLiteral("30"));
    EXPECT_EQ(value("State"), QStringLiteral("1"));
}

TEST_F(PreferencesFile, SettingsOfTheSameKeyInTwoSectionsStayApart)
{
    const Preferences prefs = Loaded("[Email]\r\nEnable=0\r\n[SNMP]\r\nEnable=1\r\n");
    EXPECT_FALSE(prefs.Flag(QStringLiteral("Enable")));
    EXPECT_TRUE(prefs.Flag(QStringLiteral("SNMPEnable")));

    Preferences flipped = prefs;
    flipped.SetFlag(QStringLiteral("Enable"), true);
    flipped.SetFlag(QStringLiteral("SNMPEnable"), false);
    Saved(flipped);
    const IniFile out(Path("out.ini"));
    EXPECT_TRUE(out.ReadBool(QStringLiteral("Email"), QStringLiteral("Enable"), false));
    EXPECT_FALSE(out.ReadBool(QStringLiteral("SNMP"), QStringLiteral("Enable"), true));
    EXPECT_FALSE(out.ReadBool(QStringLiteral("General"), QStringLiteral("SNMPEnable"), false))
        << "the alias is no key of the file";
}
