#include "preference_entries.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <limits>

namespace vantor {

namespace {
using G = PreferenceGroup;
using K = PreferenceKind;

constexpr int Unlimited = std::numeric_limits<int>::max();
constexpr int UnlimitedBelow = std::numeric_limits<int>::min();

// Item counts of the drop-down lists and option groups.
constexpr int QualityItems = 2;       // "Excellent (5)", "Good (4)"
constexpr int PictureFormats = 2;     // ".bmp", ".jpg"
constexpr int LogStructures = 2;      // one folder, one folder per station
constexpr int PtyNameTables = 2;      // "RDS", "RBDS"
constexpr int GraphValueItems = 15;   // "(none)" and the 14 named columns
constexpr int GraphRates = 8;         // "1 second" … "5 minutes"
constexpr int GraphXAxes = 5;         // "Last 60 seconds" … "Entire file"
constexpr int RecentDataPages = 4;    // "Values", "Bargraphs", "Histogram", "RDS"
constexpr int QuickFrequencies = 441; // 64.0 … 108.0 MHz in steps of 0.1

constexpr PreferenceEntry Text(G group, const char *section, const char *key, const char *def)
{
    return {group, section, key, K::Text, 0, 0, 0, def};
}

constexpr PreferenceEntry Flag(G group, const char *section, const char *key, bool def)
{
    return {group, section, key, K::Flag, def ? 1 : 0};
}

constexpr PreferenceEntry Number(G group, const char *key, int def, int min, int max)
{
    return {group, "General", key, K::Integer, def, min, max};
}

constexpr PreferenceEntry Items(G group, const char *key, K kind, int def, int count)
{
    return {group, "General", key, kind, def, 0, count};
}

constexpr PreferenceEntry Place(const char *key, int def)
{
    return Number(G::Window, key, def, UnlimitedBelow, Unlimited);
}

constexpr PreferenceEntry State(const char *key)
{
    return {G::Window, "General", key, K::WindowState, WindowNormal};
}

constexpr PreferenceEntry Radio(const char *key, bool def, const char *partner)
{
    return {G::Window, "General", key, K::Radio, def ? 1 : 0, 0, 0, "", partner};
}

constexpr const char *Email = "Email";
constexpr const char *General = "General";
constexpr const char *Snmp = "SNMP";
constexpr const char *Webhook = "Webhook";

// Where the external decoder is looked for until the operator chooses one.
#ifdef Q_OS_WIN
constexpr const char *DecoderPath = "C:\\Program Files\\RDS Lumex\\rdslumex.exe";
#else
constexpr const char *DecoderPath = "/usr/local/bin/rdslumex";
#endif

constexpr PreferenceEntry WebhookText(const char *key)
{
    return Text(G::System, Webhook, key, "");
}

// The window keys' defaults are the placements of a main window that has no
// stored place; a child window without one takes its place in the first-start
// layout (src/ui/child_arrangement), which fits the windows to their contents.
constexpr std::array Entries{
    Text(G::Email, Email, "From", "@"),
    Text(G::Email, Email, "Subject", "Vantor Alarm Message"),
    Text(G::Email, Email, "Signature", ""),
    Text(G::Email, Email, "SMTPServer", ""),
    Text(G::Email, Email, "Username", ""),
    Text(G::Email, Email, "Password", ""),
    Text(G::Email, Email, "To", "@"),
    Flag(G::Email, Email, "Enable", false),
    Flag(G::Email, Email, "SendDailyReports", false),
    Flag(G::Email, Email, "Authenticate", false),
    Flag(G::Email, Email, "TLS", false),
    // How long an alarm e-mail is retried while the mail server is away.
    PreferenceEntry{G::Email, Email, "RetryMinutes", K::Integer, 60, 0, 1440},

    Number(G::System, "ConnectionTimeout", 30, 20, 99999),
    Number(G::System, "ConnectionAttempts", 20, 3, 99999),
    Number(G::System, "ConnectionBytes", 500, 100, 99999),
    Flag(G::System, General, "IgnoreValues", true),
    Items(G::System, "QualityValue", K::ItemIndex, 1, QualityItems),
    Number(G::System, "SameAlarmDelay", 60, 5, 99999),
    Flag(G::System, General, "RDSTCPOutput", false),
    Flag(G::System, General, "RDSLumexAuto", false),
    Items(G::System, "RDSLumexDevice", K::DeviceIndex, 0, 0),
    Number(G::System, "RDSTCPPort", 16, 1, 65535),
    Text(G::System, General, "RDSLumexPath", DecoderPath),
    Items(G::System, "RDSPtyNames", K::ItemIndex, 0, PtyNameTables),
    Flag(G::System, General, "LogHistogram", true),
    Flag(G::System, General, "SaveHistogram", false),
    Flag(G::System, General, "LogRDS", true),
    Flag(G::System, General, "LogMeasuring", true),
    Number(G::System, "LoggingPeriod", 1, 1, 3600),
    PreferenceEntry{G::System, General, "LineComposition", K::Composition},
    Number(G::System, "DeviationLimit", 75, 25, 100),
    Number(G::System, "DeviationTolerance", 1, 0, 5),
    Flag(G::System, General, "DeleteOld", false),
    Number(G::System, "DeleteOlderThan", 30, 1, 99999),
    Number(G::System, "GraphWidth", 640, 80, 1600),
    Number(G::System, "GraphHeight", 480, 60, 1200),
    Items(G::System, "GraphExt", K::OptionGroup, 1, PictureFormats),
    Items(G::System, "Structure", K::OptionGroup, 0, LogStructures),
    Flag(G::System, General, "KeepGraphs", false),
    // Read by the SNMP subagent and the webhook sender when the program starts.
    PreferenceEntry{G::System, Snmp, "Enable", K::Flag, 0, 0, 0, "", nullptr, "SNMPEnable"},
    Text(G::System, Snmp, "AgentXSocket", ""),
    WebhookText("URL1"),
    WebhookText("Secret1"),
    WebhookText("URL2"),
    WebhookText("Secret2"),
    WebhookText("URL3"),
    WebhookText("Secret3"),
    WebhookText("URL4"),
    WebhookText("Secret4"),

    Flag(G::LogGraph, General, "LogGraph1", false),
    Flag(G::LogGraph, General, "LogGraph2", false),
    Flag(G::LogGraph, General, "LogGraph3", false),
    Flag(G::LogGraph, General, "LogGraph4", false),
    Flag(G::LogGraph, General, "LogGraph5", false),
    Flag(G::LogGraph, General, "LogGraph6", false),
    Flag(G::LogGraph, General, "LogGraph7", false),
    Flag(G::LogGraph, General, "LogGraph8", false),
    Flag(G::LogGraph, General, "LogGraph9", false),
    Flag(G::LogGraph, General, "LogGraph10", false),
    Flag(G::LogGraph, General, "LogGraph11", false),
    Flag(G::LogGraph, General, "LogGraph12", false),
    Flag(G::LogGraph, General, "LogGraph13", false),
    Flag(G::LogGraph, General, "LogGraph14", false),

    Place("MainTop", 10),
    Place("MainLeft", 10),
    Place("MainWidth", 980),
    Place("MainHeight", 700),
    State("State"),
    Place("Form2Top", 380),
    Place("Form2Left", 0),
    Place("Form2Width", 820),
    Place("Form2Height", 220),
    State("Form2State"),
    Place("Form3Top", 0),
    Place("Form3Left", 0),
    Place("Form3Width", 650),
    Place("Form3Height", 380),
    State("Form3State"),
    Flag(G::Window, General, "Accumulated", false),
    Place("Form4Top", 0),
    Place("Form4Left", 440),
    Place("Form4Width", 524),
    Place("Form4Height", 250),
    State("Form4State"),
    Place("Form5Top", 100),
    Place("Form5Left", 100),
    Place("Form5Width", 700),
    Place("Form5Height", 420),
    State("Form5State"),
    Items(G::Window, "GraphValue1", K::ItemIndex, 0, GraphValueItems),
    Items(G::Window, "GraphValue2", K::ItemIndex, 0, GraphValueItems),
    Items(G::Window, "GraphValue3", K::ItemIndex, 0, GraphValueItems),
    Items(G::Window, "GraphRate", K::ItemIndex, 2, GraphRates),
    Items(G::Window, "GraphXAxis", K::ItemIndex, 0, GraphXAxes),
    Radio("GraphAuto", true, "GraphManual"),
    Radio("GraphManual", false, "GraphAuto"),
    Number(G::Window, "GraphYMin", 0, -20, 500),
    Number(G::Window, "GraphYMax", 100, -20, 500),
    Items(G::Window, "RecentDataShow", K::ItemIndex, 0, RecentDataPages),
    Items(G::Window, "ImmediateFrequency", K::ItemIndex, 0, QuickFrequencies),
};

constexpr std::array<WindowKeys, 5> Windows{{
    {AppWindow::Main, "MainTop", "MainLeft", "MainWidth", "MainHeight", "State"},
    {AppWindow::RecentActivity, "Form2Top", "Form2Left", "Form2Width", "Form2Height", "Form2State"},
    {AppWindow::RecentData, "Form3Top", "Form3Left", "Form3Width", "Form3Height", "Form3State"},
    {AppWindow::AlarmDetails, "Form4Top", "Form4Left", "Form4Width", "Form4Height", "Form4State"},
    {AppWindow::Graph, "Form5Top", "Form5Left", "Form5Width", "Form5Height", "Form5State"},
}};

int SelectedItem(int value, int count)
{
    return value >= 0 && value < count ? value : -1;
}
} // namespace

std::span<const PreferenceEntry> PreferenceEntries()
{
    return Entries;
}

std::span<const WindowKeys> WindowKeyTable()
{
    return Windows;
}

const PreferenceEntry *FindPreferenceEntry(const QString &key)
{
    static const QHash<QString, const PreferenceEntry *> index = [] {
        QHash<QString, const PreferenceEntry *> byKey;
        for (const PreferenceEntry &e : Entries)
            byKey.insert(QLatin1String(e.Name()), &e);
        return byKey;
    }();
    return index.value(key, nullptr);
}

int CoercePreference(const PreferenceEntry &entry, int value, int itemCount)
{
    switch (entry.kind) {
    case K::Integer:
        return std::clamp(value, entry.min, entry.max);
    case K::ItemIndex:
        return SelectedItem(value, entry.max);
    case K::DeviceIndex:
        return SelectedItem(value, itemCount);
    case K::OptionGroup:
        return value < 0 ? -1 : std::min(value, entry.max - 1);
    case K::WindowState:
        return value == WindowMaximised || value == WindowMinimised ? value : WindowNormal;
    case K::Flag:
    case K::Radio:
        return value != 0 ? 1 : 0;
    case K::Text:
    case K::Composition:
        break;
    }
    return value;
}

} // namespace vantor
