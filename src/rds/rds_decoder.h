// What one receiver hears of a station's RDS, decoded group by group: PI, PS,
// RadioText, PTY, the flags, AF lists, ECC, language, PIN, long PS, RT+, EON,
// group counts and the share of lost blocks. One decoder per device, reset
// when the device is tuned.
#pragma once

#include "date_time.h"
#include "rds_group.h"

#include <QList>
#include <QString>

#include <array>
#include <cstdint>

namespace vantor {

// A text sent in segments (PS, RadioText, long PS): what has arrived of the
// one being received, and the last one received whole.
struct RdsSegmentedText {
    QString complete;           // the last text received whole (empty until then)
    QString receiving;          // the text being received, U+0020 where nothing arrived yet
    std::uint32_t segments = 0; // segments of `receiving` that arrived
};

// Another network announced through EON.
struct RdsOtherNetwork {
    int pi = -1;
    QString ps; // as far as received, blanks where nothing arrived
    int pty = -1;
    bool tp = false;
    bool ta = false;
    QList<double> frequencies; // MHz, in the order received
};

struct RdsAlternativeFrequencies {
    bool methodB = false;
    double tuned = 0;       // method B: the frequency the list is for
    QList<double> same;     // method A: the list; B: the same programme
    QList<double> regional; // method B: regional variants
    bool operator==(const RdsAlternativeFrequencies &) const = default;
};

struct RdsRtPlusItem {
    QString type; // "item.title", …
    QString text;
    bool operator==(const RdsRtPlusItem &) const = default;
};

struct RdsState {
    int pi = -1;
    RdsSegmentedText ps;
    RdsSegmentedText rt;
    int rtFlag = -1; // the A/B flag of the text being received
    RdsSegmentedText longPs;
    int pty = -1;
    int tp = -1;
    int ta = -1;
    int ms = -1; // 1 music, 0 speech
    int di = 0;  // decoder identification bits d0..d3 as received
    RdsAlternativeFrequencies af;
    int ecc = -1;
    int language = -1;
    int pinDay = -1, pinHour = -1, pinMinute = -1;
    int rtPlusTypeIndex = -1; // the group type index ODA 3A named for RT+
    QList<RdsRtPlusItem> rtPlus;
    QList<RdsOtherNetwork> otherNetworks;
    std::array<std::uint64_t, 32> groupCounts{}; // by RdsGroup::typeIndex()
    std::uint64_t groups = 0;
    // Lost blocks in the minute that ended last, in percent, or -1 before a
    // whole minute was seen.
    double blockErrorShare = -1;
};

class RdsDecoder
{
public:
    // What one group changed, for the windows and the change log.
    enum Change : std::uint32_t {
        Pi = 1u << 0,
        Ps = 1u << 1,
        PsReceiving = 1u << 2,
        Rt = 1u << 3,
        Pty = 1u << 4,
        Tp = 1u << 5,
        Ta = 1u << 6,
        MsDi = 1u << 7,
        Af = 1u << 8,
        Ecc = 1u << 9,
        Language = 1u << 10,
        Pin = 1u << 11,
        LongPs = 1u << 12,
        RtPlus = 1u << 13,
        Eon = 1u << 14,
        ErrorShare = 1u << 15,
    };

    static constexpr int MaxOtherNetworks = 32;
    static constexpr int MaxFrequencies = 25; // an AF list holds at most 25

    // Decodes one group received at `now`; returns the Change bits it set.
    // The group counts change with every group and are not reported.
    std::uint32_t feed(const RdsGroup &group, TDateTime now);
    // Forgets everything (the device was tuned elsewhere).
    void reset();

    const RdsState &state() const { return m_state; }

private:
    std::uint32_t decodeBasics(const RdsGroup &g);
    std::uint32_t decodePs(const RdsGroup &g);
    std::uint32_t decodeAf(int first, int second);
    std::uint32_t finishAf();
    std::uint32_t decodeRt(const RdsGroup &g);
    std::uint32_t decodeSlowLabels(const RdsGroup &g);
    std::uint32_t decodeLongPs(const RdsGroup &g);
    std::uint32_t decodeOda(const RdsGroup &g);
    std::uint32_t decodeRtPlus(const RdsGroup &g);
    std::uint32_t decodeEon(const RdsGroup &g);
    std::uint32_t countBlocks(const RdsGroup &g, TDateTime now);

    RdsState m_state;
    // The AF list being gathered: the count announced, what arrived of it.
    int m_afExpected = -1;
    int m_afReceived = 0;
    int m_afTunedCode = -1;
    int m_afPairs = 0;
    RdsAlternativeFrequencies m_afGathering;
    bool m_rtVersionB = false;
    int m_rtEnd = -1; // where the RadioText's end mark stands, once received
    int m_rtPlusToggle = -1;
    QByteArray m_longPsBytes;
    qint64 m_errorMinute = -1;
    bool m_minuteWhole = false;
    std::uint32_t m_minuteBlocks = 0, m_minuteLost = 0;
};

} // namespace vantor
