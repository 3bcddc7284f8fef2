// The operator's CSV line composition compiled once into its fixed text and
// the slots that the date, the time and received values fill, so that every
// logging period builds each device's line in one pass.
#pragma once

#include "recent_data_list.h"

#include <QString>

#include <vector>

namespace vantor {

class LogLineTemplate
{
public:
    // Compiles composition unless it is the one compiled last.
    void Compile(const QString &composition);

    // The line for a device's recent data, or empty when none of its values
    // is in the line. A value is written as received, never read as a name.
    QString Fill(const RecentDataList &data, const QString &date, const QString &time,
                 const QString &decimalPoint) const;

private:
    enum class Slot { Text, DateTime, Date, Time };

    // The fields that hold one name: those the received value fills and,
    // for a column name, those left empty with and without a value.
    struct NameFields {
        QString name;
        std::vector<int> filled;
        std::vector<int> emptiedAfterValue;
        std::vector<int> emptiedWithoutValue;
    };

    QString m_composition;
    bool m_compiled = false;
    // The composition cut at its double quotes; quotes go back between them.
    std::vector<QString> m_pieces;
    std::vector<Slot> m_slots;
    std::vector<NameFields> m_names;
};

} // namespace vantor
