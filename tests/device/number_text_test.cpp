#include "device_library.h"
#include "link_library.h"
#include "number_text.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace vantor;

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfAValueText)
{
    struct Case {
        const char *text;
        double expected;
    };
    const Case cases[] = {
        {"63.2 dBuV", 63.2}, {"-2.5 dBr", -2.5}, {"+3", 3},     {" 7", 7},      {"\t 7 kHz", 7},
        {"150", 150},        {"007", 7},         {".5", 0.5},   {"5.", 5},      {"-.25", -0.25},
        {"1e3", 1000},       {"2.5E-1 x", 0.25}, {"4E+2", 400}, {"12e", 12},    {"12eV", 12},
        {"12 e5", 12},       {"63,2", 63},       {"0x10", 0},   {"3.4.5", 3.4}, {"45.2kHz", 45.2},
    };
    for (const Case &c : cases) {
        const std::optional<double> value = leadingNumber(QString::fromLatin1(c.text));
        ASSERT_TRUE(value.has_value()) << c.text;
        EXPECT_DOUBLE_EQ(*value, c.expected) << c.text;
    }
}

TEST(LeadingNumber, TextWithoutALeadingNumberIsRejected)
{
    const char *const texts[] = {"",
                                 "abc",
                                 "-",
                                 ".",
                                 "+.",
                                 " ",
                                 "e5",
                                 "- 5",
                                 "+-1",
                                 "inf",
                                 "nan",
                                 "1e999",
                                 "dB 5",
                                 "\xb2",
                                 "\xa0"
                                 "5"};
    for (const char *text : texts)
        EXPECT_FALSE(leadingNumber(QString::fromLatin1(text)).has_value()) << text;
    // Digits and minus signs of other scripts are not the device's.
    EXPECT_FALSE(leadingNumber(QStringLiteral("\u0663")).has_value());
    EXPECT_FALSE(leadingNumber(QStringLiteral("\u22125")).has_value());
}

TEST(LeadingNumber, DecimalPointDoesNotDependOnTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_DOUBLE_EQ(*leadingNumber(QStringLiteral("63.2 dBuV")), 63.2);
    EXPECT_DOUBLE_EQ(*leadingNumber(QStringLiteral("63,2 dBuV")), 63);
    QLocale::setDefault(saved);
}

TEST(LeadingNumber, PCharToFloatThrowsForTextThatIsNoNumber)
{
    AnalyzerLinkLibrary library{QString()};
    EXPECT_DOUBLE_EQ(library.PCharToFloat(QStringLiteral("63.2 dBuV")), 63.2);
    EXPECT_THROW(library.PCharToFloat(QStringLiteral("abc")), NumberConversionError);
    EXPECT_THROW(library.PCharToFloat(QString()), NumberConversionError);
}
