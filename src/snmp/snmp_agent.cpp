// net-snmp first, its configuration before the rest: Qt's keyword macros
// must not reach its headers.
// clang-format off
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/agent/net-snmp-agent-includes.h>
#include <net-snmp/agent/agent_callbacks.h>
#include <net-snmp/library/large_fd_set.h>
// clang-format on

#include "snmp_agent.h"

#include "alarm_state.h"
#include "date_time.h"
#include "engine.h"
#include "snmp_values.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>

namespace vantor {

namespace {

// VANTOR-MIB's root: netSnmpPlaypen.86. The one place the number lives in
// the program; the MIB file says the same.
const SnmpAgent::Oid MibRoot = {1, 3, 6, 1, 4, 1, 8072, 9999, 9999, 86};

SnmpAgent::Oid Under(SnmpAgent::Oid base, std::initializer_list<unsigned long> tail)
{
    base.insert(base.end(), tail);
    return base;
}

const SnmpAgent::Oid Objects = Under(MibRoot, {1});

SnmpAgent *theAgent = nullptr;

SnmpAgent::Value Integer(unsigned char type, long value)
{
    return {type, value, {}};
}

SnmpAgent::Value Text(const QString &text)
{
    return {ASN_OCTET_STR, 0, text.toUtf8()};
}

long Truth(bool value)
{
    return value ? 1 : 2; // TruthValue
}

// The engine's record of the station the device is on, which keeps the time
// each alarm kind was last raised there; null when it is on none.
const TStation *StationOf(const Engine &engine, const TDevice &device)
{
    const int index = device.StationIndex;
    if (!device.StationActive || index < 0 ||
        index >= static_cast<int>(engine.StationTable().size()) ||
        engine.StationTable()[index].Name != device.Station.Name)
        return nullptr;
    return &engine.StationTable()[index];
}

// A local date-time of the engine as seconds since 1970 UTC; 0 for none.
long UnixSeconds(TDateTime time)
{
    return time > 0 ? static_cast<long>(ToQDateTime(time).toSecsSinceEpoch()) : 0;
}

void SetValue(netsnmp_variable_list *vb, const SnmpAgent::Value &value)
{
    if (value.type == ASN_OCTET_STR)
        snmp_set_var_typed_value(vb, ASN_OCTET_STR, value.text.constData(),
                                 static_cast<size_t>(value.text.size()));
    else
        snmp_set_var_typed_integer(vb, value.type, value.integer);
}

void AddVariable(netsnmp_variable_list **list, const SnmpAgent::Oid &id,
                 const SnmpAgent::Value &value)
{
    std::vector<oid> name(id.begin(), id.end());
    if (value.type == ASN_OCTET_STR)
        snmp_varlist_add_variable(list, name.data(), name.size(), ASN_OCTET_STR,
                                  value.text.constData(), static_cast<size_t>(value.text.size()));
    else
        snmp_varlist_add_variable(list, name.data(), name.size(), value.type, &value.integer,
                                  sizeof value.integer);
}

} // namespace

struct SnmpCallbacks {
    static int Handle(netsnmp_mib_handler *, netsnmp_handler_registration *,
                      netsnmp_agent_request_info *info, netsnmp_request_info *requests)
    {
        if (!theAgent)
            return SNMP_ERR_GENERR;
        const std::map<SnmpAgent::Oid, SnmpAgent::Value> values = theAgent->Snapshot();
        for (netsnmp_request_info *r = requests; r; r = r->next) {
            if (r->processed)
                continue;
            netsnmp_variable_list *vb = r->requestvb;
            const SnmpAgent::Oid asked(vb->name, vb->name + vb->name_length);
            if (info->mode == MODE_GET) {
                const auto found = values.find(asked);
                if (found == values.end())
                    netsnmp_set_request_error(info, r, SNMP_NOSUCHINSTANCE);
                else
                    SetValue(vb, found->second);
            } else if (info->mode == MODE_GETNEXT) {
                // Past the last object the request moves on to the next
                // registration.
                const auto next = values.upper_bound(asked);
                if (next != values.end()) {
                    const std::vector<oid> name(next->first.begin(), next->first.end());
                    snmp_set_var_objid(vb, name.data(), name.size());
                    SetValue(vb, next->second);
                }
            } else {
                netsnmp_set_request_error(info, r, SNMP_ERR_NOTWRITABLE);
            }
        }
        return SNMP_ERR_NOERROR;
    }

    static int MasterUp(int, int, void *, void *)
    {
        if (theAgent)
            theAgent->ConnectionChanged(true);
        return 0;
    }
    static int MasterGone(int, int, void *, void *)
    {
        if (theAgent)
            theAgent->ConnectionChanged(false);
        return 0;
    }
};

SnmpAgent::SnmpAgent(Engine &engine, const QString &socket, QObject *parent)
    : QObject(parent), m_engine(engine), m_socket(socket), m_events(engine)
{
    theAgent = this;
    m_started.start();
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 1);
    if (!socket.isEmpty())
        netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_X_SOCKET,
                              socket.toLocal8Bit().constData());
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_ALARM_DONT_USE_SIG, 1);
    // No configuration or persistent files of the machine's own snmpd.
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    // The agent answers by number and needs no MIB files; loading the
    // machine's would only fill stderr with complaints about missing ones.
    if (!qEnvironmentVariableIsSet("MIBS"))
        qputenv("MIBS", "");
    snmp_register_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_INDEX_START,
                           &SnmpCallbacks::MasterUp, nullptr);
    snmp_register_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_INDEX_STOP,
                           &SnmpCallbacks::MasterGone, nullptr);
    init_agent("vantor");
    const std::vector<oid> root(Objects.begin(), Objects.end());
    netsnmp_register_handler(netsnmp_create_handler_registration(
        "vantor", &SnmpCallbacks::Handle, root.data(), root.size(), HANDLER_CAN_RONLY));
    init_snmp("vantor");
    // The library would repeat its warning at every reconnection attempt;
    // "app.log" tells the change of state once.
    snmp_disable_log();
    // Reconnection after snmpd went away runs on the ping's alarm, which the
    // event loop drives through snmp_select_info2's time-out, not a signal.
    // Set once the library's start has put its defaults in place.
    netsnmp_ds_set_int(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_AGENTX_PING_INTERVAL, 5);

    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        snmp_timeout();
        run_alarms();
        netsnmp_check_outstanding_agent_requests();
        Poll();
    });
    connect(&m_events, &StationEventWatcher::happened, this, &SnmpAgent::Notify);
    if (!m_connected)
        ConnectionChanged(false);
    Poll();
}

SnmpAgent::~SnmpAgent()
{
    m_notifiers.clear();
    snmp_unregister_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_INDEX_START,
                             &SnmpCallbacks::MasterUp, nullptr, 1);
    snmp_unregister_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_INDEX_STOP,
                             &SnmpCallbacks::MasterGone, nullptr, 1);
    snmp_shutdown("vantor");
    shutdown_agent();
    theAgent = nullptr;
}

void SnmpAgent::ConnectionChanged(bool connected)
{
    if (connected == m_connected && m_told)
        return;
    m_connected = connected;
    m_told = true;
    const QString where = m_socket.isEmpty() ? QStringLiteral("its default socket") : m_socket;
    m_engine.AddToActivityLog(
        -1, connected
                ? QString(QStringLiteral("SNMP: joined snmpd at ") + where)
                : QString(QStringLiteral("SNMP: snmpd not reachable at ") + where +
                          QStringLiteral("; the station runs on and joins it when it is back")));
}

void SnmpAgent::Poll()
{
    netsnmp_large_fd_set fds;
    netsnmp_large_fd_set_init(&fds, FD_SETSIZE);
    // snmp_select_info2 adds its descriptors to the set it is given.
    NETSNMP_LARGE_FD_ZERO(&fds);
    int count = 0;
    int block = 1;
    timeval timeout{};
    snmp_select_info2(&count, &fds, &timeout, &block);
    for (auto it = m_notifiers.begin(); it != m_notifiers.end();) {
        if (it->first >= count || !NETSNMP_LARGE_FD_ISSET(it->first, &fds)) {
            it->second->setEnabled(false);
            it->second.release()->deleteLater();
            it = m_notifiers.erase(it);
        } else {
            ++it;
        }
    }
    for (int fd = 0; fd < count; ++fd) {
        if (!NETSNMP_LARGE_FD_ISSET(fd, &fds) || m_notifiers.count(fd))
            continue;
        auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, [this, fd] { Readable(fd); });
        m_notifiers[fd] = std::move(notifier);
    }
    netsnmp_large_fd_set_cleanup(&fds);
    if (block)
        m_timer.stop();
    else
        m_timer.start(static_cast<int>(timeout.tv_sec * 1000 + (timeout.tv_usec + 999) / 1000));
}

void SnmpAgent::Readable(int socket)
{
    netsnmp_large_fd_set fds;
    netsnmp_large_fd_set_init(&fds, FD_SETSIZE);
    NETSNMP_LARGE_FD_SET(socket, &fds);
    snmp_read2(&fds);
    netsnmp_large_fd_set_cleanup(&fds);
    netsnmp_check_outstanding_agent_requests();
    Poll();
}

std::map<SnmpAgent::Oid, SnmpAgent::Value> SnmpAgent::Snapshot()
{
    std::map<Oid, Value> v;
    const int devices = static_cast<int>(m_engine.DeviceTable().size());
    long raised = 0;
    for (const TDevice &d : m_engine.DeviceTable()) {
        for (int count : d.AlarmActivations)
            raised += count;
    }
    v[Under(Objects, {1, 0})] = Text(QCoreApplication::applicationVersion());
    v[Under(Objects, {2, 0})] = Integer(ASN_TIMETICKS, static_cast<long>(m_started.elapsed() / 10));
    v[Under(Objects, {3, 0})] = Integer(ASN_GAUGE, devices);
    v[Under(Objects, {4, 0})] = Integer(ASN_COUNTER, raised & 0xffffffffL);

    int readingCount = 0;
    const MibReading *readings = MibReadings(&readingCount);
    for (int i = 0; i < devices; ++i) {
        const TDevice &d = m_engine.DeviceTable()[i];
        const auto row = static_cast<unsigned long>(i + 1);
        const auto cell = [&](unsigned long column) { return Under(Objects, {5, 1, column, row}); };
        v[cell(2)] = Text(d.Name);
        v[cell(3)] = Integer(ASN_INTEGER, Truth(m_engine.DeviceConnected(i)));
        v[cell(4)] = Text(d.StationActive ? d.Station.Name : QString());
        v[cell(5)] =
            Integer(ASN_INTEGER, d.StationActive ? FrequencyValue(d.Station.Frequency) : 0);
        const long mode = m_engine.RDSMode(i) ? 3 : m_engine.MeasuringMode(i) ? 2 : 1;
        v[cell(6)] = Integer(ASN_INTEGER, mode);
        v[cell(7)] = Integer(ASN_INTEGER, Truth(d.Paused));
        for (int r = 0; r < readingCount; ++r)
            v[cell(static_cast<unsigned long>(8 + r))] =
                Integer(ASN_INTEGER, DeviceReading(m_engine, i, readings[r]));

        // Every kind of the engine's alarm-kind table, in its order.
        const TStation *station = StationOf(m_engine, d);
        for (int kind = 0; kind < AlarmKindCount; ++kind) {
            const auto alarm = [&](unsigned long column) {
                return Under(Objects, {6, 1, column, row, static_cast<unsigned long>(kind + 1)});
            };
            v[alarm(2)] = Text(AlarmKindNames[kind]);
            v[alarm(3)] =
                Integer(ASN_INTEGER, Truth(d.AlarmSetActive && d.AlarmSet.Basic[kind].Enabled));
            v[alarm(4)] = Integer(ASN_INTEGER, static_cast<long>(AlarmStateOf(d, kind)) + 1);
            v[alarm(5)] =
                Integer(ASN_UNSIGNED, station ? UnixSeconds(station->LastAlarmTime[kind]) : 0);
            v[alarm(6)] = Text(AlarmLimitOf(d, kind));
        }
    }
    return v;
}

void SnmpAgent::Notify(const StationEvent &event)
{
    const bool alarm = event.kind >= 0;
    const unsigned long which = static_cast<unsigned long>(event.type) + 1;
    const Oid trapOid = {1, 3, 6, 1, 6, 3, 1, 1, 4, 1, 0};
    const Oid notification = Under(MibRoot, {0, which});
    netsnmp_variable_list *vars = nullptr;
    const std::vector<oid> trap(trapOid.begin(), trapOid.end());
    const std::vector<oid> id(notification.begin(), notification.end());
    snmp_varlist_add_variable(&vars, trap.data(), trap.size(), ASN_OBJECT_ID, id.data(),
                              id.size() * sizeof(oid));
    AddVariable(&vars, Under(Objects, {7, 1, 0}), Text(event.deviceName));
    if (alarm) {
        AddVariable(&vars, Under(Objects, {7, 2, 0}), Integer(ASN_INTEGER, event.kind + 1));
        AddVariable(&vars, Under(Objects, {7, 3, 0}),
                    Integer(ASN_INTEGER, AlarmReading(event.kind, event.value)));
        AddVariable(&vars, Under(Objects, {7, 4, 0}), Text(event.limit));
    }
    AddVariable(&vars, Under(Objects, {7, 5, 0}), Text(event.station));
    send_v2trap(vars);
    snmp_free_varbind(vars);
    Poll();
}

} // namespace vantor
