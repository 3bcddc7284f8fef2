// The CSV line of a device composed from the operator's line composition: a
// table of compositions over one set of received values, and value texts as
// they are cleaned for a spreadsheet.
#include "engine.h"
#include "engine_tables.h"
#include "fake_clock.h"
#include "fake_device_library.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace vantor;

namespace {

const QString Date = QStringLiteral("2024.05.01");
const QString Time = QStringLiteral("12:00:04");

class LogLineComposition : public ::testing::Test
{
protected:
    LogLineComposition() { Tables(engine).Devices.emplace_back(); }

    void Receive(std::initializer_list<std::pair<const char *, const char *>> values)
    {
        for (const auto &[name, value] : values)
            engine.AddToLastData(0, QString::fromUtf8(name), QString::fromUtf8(value));
    }

    QString Compose(const QString &composition)
    {
        engine.Prefs().SetText(QStringLiteral("LineComposition"), composition);
        return engine.ComposeLogLine(0, Date, Time, QLocale::system().decimalPoint());
    }

    // "~" in an expected line stands for the locale's decimal separator.
    static QString Expected(const char *line)
    {
        return QString::fromUtf8(line).replace(QLatin1Char('~'), QLocale::system().decimalPoint());
    }

    FakeClock clock{QDateTime(QDate(2024, 5, 1), QTime(12, 0, 4), Qt::UTC)};
    FakeDeviceLibrary library;
    HeadlessView view;
    Engine engine{clock, library, view};
};

} // namespace

TEST_F(LogLineComposition, FillsEveryKindOfComposition)
{
    Receive({{"Frequency", "98.50 MHz"},
             {"Level", "63.2 dBuV"},
             {"MAX", "75.0 kHz"},
             {"Pm", "-2.5 dBr"},
             {"Signal Quality", "87"},
             {"PI", "D3C3"},
             {"RDS Phase Difference", "89.5 deg"},
             {"Time Error", "0"}});
    struct Case {
        const char *composition;
        const char *line;
    };
    const Case cases[] = {
        // The presets.
        {R"("datetime";"Signal Quality";"Level";"MAX";"Pilot";"RDS";"Pm")",
         R"("2024.05.01 12:00:04";"87";"63~2";"75~0";"";"";"-2~5")"},
        {R"("datetime";"MAX";"MAX Hold";"AVE";"MIN";"Pm";"Pilot";"RDS";"IF";"Signal Quality";)"
         R"("Level";"RDS Phase Difference";"LeftPeak";"RightPeak";"Histogram Max at")",
         R"("2024.05.01 12:00:04";"75~0";"";"";"";"-2~5";"";"";"";"87";"63~2";"89~5";"";"";"")"},
        // Date and time apart, names that are no column, text around the fields.
        {R"("date","time" | "Pm" "PI" "Frequency")",
         R"("2024.05.01","12:00:04" | "-2~5" "D3C3" "98~50")"},
        {R"(#"Level";"Pm"#)", R"(#"63~2";"-2~5"#)"},
        {R"( "datetime" "Level" , "Pm" )", R"( "2024.05.01 12:00:04" "63~2" , "-2~5" )"},
        {R"("Frequency";"Time Error";"RDS Phase Difference")", R"("98~50";"0";"89~5")"},
        // A name never received stays; a column never received is emptied.
        {R"("datetime";"Stereo";"Level";"AVE")", R"("2024.05.01 12:00:04";"Stereo";"63~2";"")"},
        // Nothing received in it: no line.
        {R"("datetime")", ""},
        {R"("datetime";"AVE";"MIN")", ""},
        {"", ""},
        {"Level;Pm", ""},
        {R"("Level)", ""},
        {R"("level";"LEVEL";" Level";"Level ")", ""},
        // Repeated and adjacent tokens.
        {R"("Level";"Level";"Level")", R"("63~2";"63~2";"63~2")"},
        {R"("Level""Pm")", R"("63~2""-2~5")"},
        {R"("Level";"Pm)", R"("63~2";"Pm)"},
        // Tokens sharing a double quote: the text between two fields counts as
        // a name too.
        {R"("Level"Pm")", R"("63~2"-2~5")"},
        {R"("Level"MAX"Pm")", R"("63~2"75~0"-2~5")"},
        {R"("Level"AVE"Pm")", R"("63~2""-2~5")"},
        {R"("Level"time"Pm")", R"("63~2"12:00:04"-2~5")"},
        {R"("Level"Level"Level")", R"("63~2""63~2")"},
        {R"("Pm"Pm"AVE"AVE")", R"("-2~5"""AVE")"},
        {R"("datetime"time"date";"Level")", R"("2024.05.01 12:00:04"12:00:04"2024.05.01";"63~2")"},
        {R"("time"time";"Level")", R"("12:00:04"time";"63~2")"},
        {R"("date"date"date";"Pm")", R"("2024.05.01"date"2024.05.01";"-2~5")"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Compose(QString::fromUtf8(c.composition)), Expected(c.line)) << c.composition;
}

TEST_F(LogLineComposition, CleansValueTextsForASpreadsheet)
{
    struct Case {
        const char *value;
        const char *field;
    };
    const Case cases[] = {
        {"63.2 dBuV", "63~2"},
        {"-2.5 dBr", "-2~5"},
        {"89.5 deg", "89~5"},
        {"98.50MHz", "98~50"},
        {"75.0 kHz", "75~0"},
        {"-1.2 dB", "-1~2"},
        {"1 2 3", "123"},
        {"dBuV", ""},
        {"a\"b", "ab"},
        {"MkHzHz", ""},
        {"dBdBr", ""},
        {"kkHzHz", "kHz"},
        {"ddBrB", ""},
        {"dBuVdBr", ""},
        {"5 dBdB", "5"},
        {"\". .\"", "~~"},
        {"kH", "kH"},
        {"1.2.3", "1~2~3"},
        {"  ", ""},
        {"D3C3 0400", "D3C30400"},
    };
    for (const Case &c : cases) {
        engine.ClearDevice(0);
        Receive({{"Level", c.value}, {"Pm", "1"}});
        const QString line = QLatin1Char('"') + Expected(c.field) + QStringLiteral("\";\"1\"");
        EXPECT_EQ(Compose(QStringLiteral("\"Level\";\"Pm\"")), line) << c.value;
    }
}

TEST_F(LogLineComposition, ReceivedTextThatWouldStartAFormulaStaysText)
{
    struct Case {
        const char *value;
        const char *field;
    };
    // "~" stands for the decimal separator; numbers keep their form.
    const Case cases[] = {
        {"=1+1", "'=1+1"},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)"},
        {"=HYPERLINK(\"http://x\";\"y\")", "'=HYPERLINK(http://x;y)"},
        {"+A1", "'+A1"},
        {"-A1", "'-A1"},
        {"-1+1", "'-1+1"},
        {"-", "'-"},
        {"\t=1+1", "'=1+1"},
        {"\r=1+1", "'=1+1"},
        {" =1", "'=1"},
        {"a\tb\rc\nd", "abcd"},
        {"1=1", "1=1"},
        {"-2.5 dBr", "-2~5"},
        {"+3.0", "+3~0"},
        {"-.5", "-~5"},
        {"-5.", "-5~"},
        {"-1e-3", "-1e-3"},
        {"-1.5E+2", "-1~5E+2"},
        {"63.2 dBuV", "63~2"},
    };
    for (const QString &point : {QStringLiteral("."), QStringLiteral(",")}) {
        for (const Case &c : cases) {
            engine.ClearDevice(0);
            Receive({{"Level", c.value}});
            engine.Prefs().SetText(QStringLiteral("LineComposition"), QStringLiteral("\"Level\""));
            const QString field = QString::fromUtf8(c.field).replace(QLatin1Char('~'), point);
            EXPECT_EQ(engine.ComposeLogLine(0, Date, Time, point),
                      QLatin1Char('"') + field + QLatin1Char('"'))
                << c.value << " with " << qPrintable(point);
        }
    }
}

TEST_F(LogLineComposition, AValueEqualToItsNameFillsNothing)
{
    Receive({{"PI", "PI"}});
    EXPECT_EQ(Compose(QStringLiteral("\"datetime\";\"PI\"")), QString());
    Receive({{"Level", "63"}});
    EXPECT_EQ(Compose(QStringLiteral("\"datetime\";\"PI\";\"Level\"")),
              QStringLiteral("\"2024.05.01 12:00:04\";\"PI\";\"63\""));
}

TEST_F(LogLineComposition, ReceivedNamesMatchTextBetweenFieldsAndEmptyFields)
{
    Receive({{"Level", "63"}, {";", "sep"}, {"", "blank"}});
    EXPECT_EQ(Compose(QStringLiteral("\"Level\";\"\"")), QStringLiteral("\"63\"sep\"blank\""));
}

// A value that happens to read like a name (of a later value, of a column
// never received, or the time of the line) is still that value.
TEST_F(LogLineComposition, AValueIsNeverReadAsAName)
{
    Receive({{"Pm", "Level"}, {"PI", "AVE"}, {"Level", "63"}, {"12:00:04", "late"}});
    EXPECT_EQ(Compose(QStringLiteral("\"time\";\"Pm\";\"PI\";\"Level\"")),
              QStringLiteral("\"12:00:04\";\"Level\";\"AVE\";\"63\""));
    engine.ClearDevice(0);
    Receive({{"Level", "Level"}, {"Pm", "1"}});
    EXPECT_EQ(Compose(QStringLiteral("\"Level\";\"Pm\"")), QStringLiteral("\"Level\";\"1\""));
}

TEST_F(LogLineComposition, FollowsAChangedComposition)
{
    Receive({{"Level", "63"}, {"Pm", "1"}});
    EXPECT_EQ(Compose(QStringLiteral("\"Level\";\"Pm\"")), QStringLiteral("\"63\";\"1\""));
    EXPECT_EQ(Compose(QStringLiteral("\"Pm\"|\"Level\"")), QStringLiteral("\"1\"|\"63\""));
    EXPECT_EQ(Compose(QStringLiteral("\"AVE\"")), QString());
}
