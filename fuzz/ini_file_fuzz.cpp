// The INI module reading a hostile settings file, loading the device, station
// and alarm-set tables from it, then writing one value and reading the file
// back: every value read before reads the same after, the written one reads as
// written.
#include "fuzz_scratch.h"
#include "ini_file.h"
#include "settings_files.h"

#include <QList>

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace vantor;
using namespace vantor::fuzz;

namespace {

// What ReadString returns for a value once WriteString has put it on its line.
QString AsRead(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    qsizetype begin = 0;
    qsizetype end = value.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (begin < end && blank(value[begin]))
        ++begin;
    while (end > begin && blank(value[end - 1]))
        --end;
    value = value.mid(begin, end - begin);
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(2047);
}

struct Read {
    QString section;
    QString key;
    QString value;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    WriteScratch(bytes);

    IniFile ini(ScratchPath());
    {
        std::vector<TDevice> devices;
        std::vector<TDeviceToSave> devicesToSave;
        std::vector<TStation> stations;
        std::vector<TAlarmSet> alarmSets;
        QStringList notes;
        LoadDevices(ini, devices, devicesToSave, &notes);
        LoadStations(ini, stations, &notes);
        LoadAlarmSets(ini, alarmSets, &notes);
        // However large the counts, a table holds no more entries than the
        // file has sections, give or take the entries a small count allows.
        const std::size_t most =
            static_cast<std::size_t>(ini.SectionNames().size() + MaxCountWithoutSections);
        if (devices.size() > most || stations.size() > most || alarmSets.size() > most)
            std::abort();
    }
    const QStringList sections = ini.SectionNames().mid(0, 8);
    // Key names to try: the name part of every line of the input.
    QStringList keys;
    const QList<QByteArray> lines = bytes.split('\n');
    for (const QByteArray &line : lines) {
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0 && keys.size() < 32)
            keys.append(QString::fromLatin1(line.left(eq)).trimmed());
    }
    std::vector<Read> reads;
    for (const QString &section : sections) {
        for (const QString &key : keys) {
            reads.push_back({section, key, ini.ReadString(section, key, QStringLiteral("\x01"))});
            (void)ini.ReadInteger(section, key, -7);
        }
    }

    const QString section = sections.isEmpty() ? QStringLiteral("Fuzz") : sections.front();
    const QString key = QStringLiteral("FuzzWritten");
    const QString value = QString::fromLatin1(lines.back());
    ini.WriteString(section, key, value);
    if (ini.ReadString(section, key, QString()) != AsRead(value))
        std::abort();
    if (!ini.UpdateFile())
        std::abort();

    const IniFile again(ScratchPath());
    if (again.ReadString(section, key, QString()) != AsRead(value))
        std::abort();
    for (const Read &r : reads) {
        if (r.key.compare(key, Qt::CaseInsensitive) == 0 &&
            r.section.compare(section, Qt::CaseInsensitive) == 0)
            continue;
        if (again.ReadString(r.section, r.key, QStringLiteral("\x01")) != r.value)
            std::abort();
    }
    return 0;
}
