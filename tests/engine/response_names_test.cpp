// The response names the engine tells apart by length: the same columns as
// the column table, and nothing for a name that only resembles one.
#include "response_names.h"

#include <gtest/gtest.h>

using namespace vantor;

TEST(ResponseNames, EveryColumnNameFindsItsColumn)
{
    for (int column = 0; column < NamedColumnCount; ++column) {
        const QByteArray name = MeasurementColumns[column].toLatin1();
        EXPECT_EQ(ColumnOf(ClassifyResponseName(QLatin1StringView(name))), column)
            << name.constData();
    }
}

TEST(ResponseNames, OtherNamesAreKnownOnlyWhenSpelledExactly)
{
    const struct {
        const char *name;
        ResponseName kind;
    } cases[] = {
        {"G", ResponseName::Group},
        {"W", ResponseName::Wait},
        {"Frequency", ResponseName::Frequency},
        {"Histogram Data", ResponseName::HistogramData},
        {"Modulation Power", ResponseName::ModulationPower},
        {"", ResponseName::Other},
        {"g", ResponseName::Other},
        {"MAX ", ResponseName::Other},
        {"max", ResponseName::Other},
        {"MAY", ResponseName::Other},
        {"AVF", ResponseName::Other},
        {"RDT", ResponseName::Other},
        {"XDS", ResponseName::Other},
        {"Pn", ResponseName::Other},
        {"MAXHold", ResponseName::Other},
        {"Histogram Max a", ResponseName::Other},
        {"Histogram Max At", ResponseName::Other},
        {"RDS Phase Differencf", ResponseName::Other},
        {"Signal Quality ", ResponseName::Other},
    };
    for (const auto &c : cases) {
        const QLatin1StringView name(c.name);
        EXPECT_EQ(ClassifyResponseName(name), c.kind) << c.name;
        EXPECT_EQ(GetTableColumn(QString(name)), -1) << c.name;
    }
}
