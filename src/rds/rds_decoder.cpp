#include "rds_decoder.h"

#include "rds_tables.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace vantor {

namespace {

constexpr int PsLength = 8;
constexpr int RtLength = 64;
constexpr int LongPsBytes = 32;
constexpr std::uint16_t RtPlusAid = 0x4BD7;

// Carriage return ends a RadioText; long PS may also end with a zero byte.
constexpr unsigned char EndOfText = 0x0D;

double AfFrequency(int code)
{
    return (875 + code) / 10.0;
}

bool IsAfFrequency(int code)
{
    return code >= 1 && code <= 204;
}

void Fill(QString &text, int length)
{
    if (text.size() != length)
        text = QString(length, QLatin1Char(' '));
}

// What writing one segment did to a text.
struct Placed {
    bool changed = false; // some character is new
    bool differs = false; // a segment already received now says something else
};

// Writes one segment's bytes into a text; a segment that differs from what
// arrived before means the station began another text.
Placed Place(RdsSegmentedText &text, int segment, const unsigned char *bytes, int width)
{
    Placed placed;
    const bool had = (text.segments >> segment) & 1;
    const int first = segment * width;
    for (int i = 0; i < width; ++i) {
        const QChar c = RdsChar(bytes[i]);
        // Read without detaching: the text may share its data with the
        // complete one, and most segments repeat what is there.
        if (text.receiving.at(first + i) != c) {
            placed.changed = true;
            placed.differs = placed.differs || had;
            text.receiving[first + i] = c;
        }
    }
    return placed;
}

QString TrimEnd(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.left(end);
}

std::uint32_t Publish(RdsSegmentedText &text, const QString &value, std::uint32_t change)
{
    if (text.complete == value)
        return 0;
    text.complete = value;
    return change;
}

} // namespace

void RdsDecoder::reset()
{
    *this = RdsDecoder();
}

std::uint32_t RdsDecoder::feed(const RdsGroup &g, TDateTime now)
{
    std::uint32_t changes = countBlocks(g, now);
    if (g.has(RdsGroup::A) && g[RdsGroup::A] != m_state.pi) {
        m_state.pi = g[RdsGroup::A];
        changes |= Pi;
    }
    const int typeIndex = g.typeIndex();
    if (typeIndex < 0)
        return changes;
    ++m_state.groupCounts[typeIndex];
    ++m_state.groups;
    changes |= decodeBasics(g);
    switch (typeIndex) {
    case 0: // 0A
    case 1: // 0B
        changes |= decodePs(g);
        if (typeIndex == 0 && g.has(RdsGroup::C))
            changes |= decodeAf(g[RdsGroup::C] >> 8, g[RdsGroup::C] & 0xFF);
        break;
    case 2: // 1A
        changes |= decodeSlowLabels(g);
        break;
    case 4: // 2A
    case 5: // 2B
        changes |= decodeRt(g);
        break;
    case 6: // 3A
        changes |= decodeOda(g);
        break;
    case 28: // 14A
    case 29: // 14B
        changes |= decodeEon(g);
        break;
    case 30: // 15A
        changes |= decodeLongPs(g);
        break;
    default:
        break;
    }
    if (typeIndex == m_state.rtPlusTypeIndex)
        changes |= decodeRtPlus(g);
    return changes;
}

std::uint32_t RdsDecoder::countBlocks(const RdsGroup &g, TDateTime now)
{
    std::uint32_t changes = 0;
    const qint64 minute = static_cast<qint64>(std::floor(now * 1440.0 + 1e-7));
    if (minute != m_errorMinute) {
        // The first minute after a reset was seen only in part.
        if (m_errorMinute >= 0 && m_minuteWhole && m_minuteBlocks > 0) {
            const double share = 100.0 * m_minuteLost / m_minuteBlocks;
            if (share != m_state.blockErrorShare) {
                m_state.blockErrorShare = share;
                changes |= ErrorShare;
            }
        }
        m_minuteWhole = m_errorMinute >= 0;
        m_errorMinute = minute;
        m_minuteBlocks = m_minuteLost = 0;
    }
    m_minuteBlocks += 4;
    m_minuteLost += static_cast<std::uint32_t>(g.missingBlocks());
    return changes;
}

std::uint32_t RdsDecoder::decodeBasics(const RdsGroup &g)
{
    std::uint32_t changes = 0;
    const int b = g[RdsGroup::B];
    if (g.versionB() && g.has(RdsGroup::C) && !g.has(RdsGroup::A) && g[RdsGroup::C] != m_state.pi) {
        m_state.pi = g[RdsGroup::C];
        changes |= Pi;
    }
    const int pty = (b >> 5) & 0x1F;
    if (pty != m_state.pty) {
        m_state.pty = pty;
        changes |= Pty;
    }
    const int tp = (b >> 10) & 1;
    if (tp != m_state.tp) {
        m_state.tp = tp;
        changes |= Tp;
    }
    return changes;
}

std::uint32_t RdsDecoder::decodePs(const RdsGroup &g)
{
    std::uint32_t changes = 0;
    const int b = g[RdsGroup::B];
    const int segment = b & 3;
    const int ta = (b >> 4) & 1;
    if (ta != m_state.ta) {
        m_state.ta = ta;
        changes |= Ta;
    }
    const int ms = (b >> 3) & 1;
    int di = m_state.di & ~(1 << (3 - segment));
    di |= ((b >> 2) & 1) << (3 - segment);
    if (ms != m_state.ms || di != m_state.di) {
        m_state.ms = ms;
        m_state.di = di;
        changes |= MsDi;
    }
    RdsSegmentedText &ps = m_state.ps;
    if (!g.has(RdsGroup::D)) {
        ps.segments = 0; // a segment lost: the name must be received anew
        return changes;
    }
    Fill(ps.receiving, PsLength);
    const unsigned char bytes[2] = {static_cast<unsigned char>(g[RdsGroup::D] >> 8),
                                    static_cast<unsigned char>(g[RdsGroup::D] & 0xFF)};
    // A name counts as complete only when its four segments came in order,
    // none of them changing on the way: a name half old and half new is
    // never shown as the station's.
    const bool inOrder = segment == 0 || ((ps.segments >> (segment - 1)) & 1);
    const Placed placed = Place(ps, segment, bytes, 2);
    if (placed.differs || !inOrder || segment == 0)
        ps.segments = 0;
    ps.segments |= 1u << segment;
    if (placed.changed)
        changes |= PsReceiving;
    if (ps.segments == 0xF) {
        changes |= Publish(ps, ps.receiving, Ps);
        ps.segments = 0;
    }
    return changes;
}

std::uint32_t RdsDecoder::decodeAf(int first, int second)
{
    if (first >= 224 && first <= 249) {
        m_afExpected = first - 224;
        m_afGathering = RdsAlternativeFrequencies();
        m_afReceived = 0;
        m_afTunedCode = IsAfFrequency(second) ? second : -1;
        m_afPairs = 0;
        if (m_afTunedCode > 0) {
            m_afGathering.same.append(AfFrequency(second));
            m_afReceived = 1;
        }
        return m_afReceived >= m_afExpected && m_afExpected > 0 ? finishAf() : 0;
    }
    if (m_afExpected <= 0 || m_afTunedCode < 0)
        return 0;
    // Method B: every pair after the first holds the frequency the list is
    // for; ascending for the same programme, descending for a regional one.
    if (m_afPairs == 0 && (first == m_afTunedCode || second == m_afTunedCode) &&
        IsAfFrequency(first) && IsAfFrequency(second) && (m_afExpected & 1)) {
        m_afGathering.methodB = true;
        m_afGathering.tuned = AfFrequency(m_afTunedCode);
        m_afGathering.same.clear();
    }
    ++m_afPairs;
    if (m_afGathering.methodB) {
        if (first != m_afTunedCode && second != m_afTunedCode)
            return 0;
        const int other = first == m_afTunedCode ? second : first;
        if (!IsAfFrequency(other) || other == m_afTunedCode)
            return 0;
        QList<double> &list = first < second ? m_afGathering.same : m_afGathering.regional;
        if (list.size() < MaxFrequencies)
            list.append(AfFrequency(other));
        m_afReceived += 2;
    } else {
        if (first == 250) {
            ++m_afReceived; // a long or medium wave frequency follows: counted, not shown
        } else {
            for (const int code : {first, second}) {
                // A frequency sent twice is counted once.
                if (IsAfFrequency(code) && m_afGathering.same.size() < MaxFrequencies &&
                    !m_afGathering.same.contains(AfFrequency(code))) {
                    m_afGathering.same.append(AfFrequency(code));
                    ++m_afReceived;
                }
            }
        }
    }
    return m_afReceived >= m_afExpected ? finishAf() : 0;
}

std::uint32_t RdsDecoder::finishAf()
{
    m_afExpected = -1;
    if (m_afGathering == m_state.af)
        return 0;
    m_state.af = m_afGathering;
    return Af;
}

std::uint32_t RdsDecoder::decodeRt(const RdsGroup &g)
{
    const int b = g[RdsGroup::B];
    const bool versionB = g.versionB();
    const int width = versionB ? 2 : 4;
    const int segment = b & 0xF;
    const int flag = (b >> 4) & 1;
    RdsSegmentedText &rt = m_state.rt;
    std::uint32_t changes = 0;
    if (flag != m_state.rtFlag || versionB != m_rtVersionB) {
        // The A/B flag turned: the station sends a new text; the old one is
        // not to be completed with parts of the new.
        rt.receiving = QString(RtLength, QLatin1Char(' '));
        rt.segments = 0;
        m_rtEnd = -1;
        m_state.rtFlag = flag;
        m_rtVersionB = versionB;
    }
    Fill(rt.receiving, RtLength);
    if (!g.has(RdsGroup::D) || (!versionB && !g.has(RdsGroup::C)))
        return changes;
    unsigned char bytes[4];
    if (versionB) {
        bytes[0] = static_cast<unsigned char>(g[RdsGroup::D] >> 8);
        bytes[1] = static_cast<unsigned char>(g[RdsGroup::D] & 0xFF);
    } else {
        bytes[0] = static_cast<unsigned char>(g[RdsGroup::C] >> 8);
        bytes[1] = static_cast<unsigned char>(g[RdsGroup::C] & 0xFF);
        bytes[2] = static_cast<unsigned char>(g[RdsGroup::D] >> 8);
        bytes[3] = static_cast<unsigned char>(g[RdsGroup::D] & 0xFF);
    }
    // A text neither ended nor padded shows its length when it starts over:
    // segment 0 again, unchanged, after an unbroken run from 0.
    const std::uint32_t run = rt.segments;
    const bool unbrokenRun = run != 0 && (run & (run + 1)) == 0;
    const bool newSegment = !((rt.segments >> segment) & 1);
    const Placed placed = Place(rt, segment, bytes, width);
    if (placed.differs) {
        rt.segments = 0;
        m_rtEnd = -1;
    } else if (segment == 0 && unbrokenRun && m_rtEnd < 0) {
        const int segments = std::popcount(run);
        changes |= Publish(rt, TrimEnd(rt.receiving.left(segments * width)), Rt);
    }
    rt.segments |= 1u << segment;
    for (int i = 0; i < width; ++i) {
        if (bytes[i] == EndOfText) {
            const int at = segment * width + i;
            m_rtEnd = m_rtEnd < 0 ? at : std::min(m_rtEnd, at);
        }
    }
    // A segment that only repeats what arrived changes nothing to publish.
    if (!placed.changed && !newSegment)
        return changes;
    const int length = m_rtEnd >= 0 ? m_rtEnd : 16 * width;
    const int needed = m_rtEnd >= 0 ? m_rtEnd / width + 1 : 16;
    const std::uint32_t neededMask = needed >= 32 ? 0xFFFFFFFFu : (1u << needed) - 1;
    if ((rt.segments & neededMask) == neededMask)
        changes |= Publish(rt, TrimEnd(rt.receiving.left(length)), Rt);
    return changes;
}

std::uint32_t RdsDecoder::decodeSlowLabels(const RdsGroup &g)
{
    std::uint32_t changes = 0;
    if (g.has(RdsGroup::C)) {
        const int c = g[RdsGroup::C];
        const int variant = (c >> 12) & 7;
        if (variant == 0 && (c & 0xFF) != m_state.ecc) {
            m_state.ecc = c & 0xFF;
            changes |= Ecc;
        } else if (variant == 3 && (c & 0xFF) != m_state.language) {
            m_state.language = c & 0xFF;
            changes |= Language;
        }
    }
    if (g.has(RdsGroup::D)) {
        const int d = g[RdsGroup::D];
        const int day = d >> 11, hour = (d >> 6) & 0x1F, minute = d & 0x3F;
        // Day 0 means no PIN is sent.
        if (day != 0 && hour < 24 && minute < 60 &&
            (day != m_state.pinDay || hour != m_state.pinHour || minute != m_state.pinMinute)) {
            m_state.pinDay = day;
            m_state.pinHour = hour;
            m_state.pinMinute = minute;
            changes |= Pin;
        }
    }
    return changes;
}

std::uint32_t RdsDecoder::decodeLongPs(const RdsGroup &g)
{
    if (!g.has(RdsGroup::C) || !g.has(RdsGroup::D))
        return 0;
    RdsSegmentedText &text = m_state.longPs;
    if (m_longPsBytes.size() != LongPsBytes)
        m_longPsBytes = QByteArray(LongPsBytes, ' ');
    const int segment = g[RdsGroup::B] & 7;
    const char bytes[4] = {
        static_cast<char>(g[RdsGroup::C] >> 8), static_cast<char>(g[RdsGroup::C] & 0xFF),
        static_cast<char>(g[RdsGroup::D] >> 8), static_cast<char>(g[RdsGroup::D] & 0xFF)};
    const bool had = (text.segments >> segment) & 1;
    if (had && m_longPsBytes.mid(segment * 4, 4) != QByteArray(bytes, 4))
        text.segments = 0;
    m_longPsBytes.replace(segment * 4, 4, bytes, 4);
    text.segments |= 1u << segment;
    text.receiving = QString::fromUtf8(m_longPsBytes);
    int end = LongPsBytes;
    for (int i = 0; i < LongPsBytes; ++i) {
        const char c = m_longPsBytes[i];
        if ((c == '\0' || c == '\r') && ((text.segments >> (i / 4)) & 1)) {
            end = i;
            break;
        }
    }
    const int needed = end == LongPsBytes ? 8 : end / 4 + (end % 4 ? 1 : 0);
    const std::uint32_t neededMask = (1u << needed) - 1;
    if ((text.segments & neededMask) != neededMask)
        return 0;
    return Publish(text, TrimEnd(QString::fromUtf8(m_longPsBytes.left(end))), LongPs);
}

std::uint32_t RdsDecoder::decodeOda(const RdsGroup &g)
{
    if (!g.has(RdsGroup::D) || g[RdsGroup::D] != RtPlusAid)
        return 0;
    const int typeIndex = g[RdsGroup::B] & 0x1F;
    // Only group types free for applications can carry RT+.
    if (typeIndex == 0 || typeIndex == 1 || typeIndex == 4 || typeIndex == 5 || typeIndex == 6)
        return 0;
    m_state.rtPlusTypeIndex = typeIndex;
    return 0;
}

std::uint32_t RdsDecoder::decodeRtPlus(const RdsGroup &g)
{
    if (!g.has(RdsGroup::C) || !g.has(RdsGroup::D))
        return 0;
    const int b = g[RdsGroup::B], c = g[RdsGroup::C], d = g[RdsGroup::D];
    std::uint32_t changes = 0;
    const int toggle = (b >> 4) & 1;
    if (toggle != m_rtPlusToggle) {
        // Another item began: the tags of the last one no longer hold.
        m_rtPlusToggle = toggle;
        if (!m_state.rtPlus.isEmpty()) {
            m_state.rtPlus.clear();
            changes |= RtPlus;
        }
    }
    struct Tag {
        int type, start, length;
    };
    const Tag tags[2] = {
        {((b & 7) << 3) | (c >> 13), (c >> 7) & 0x3F, ((c >> 1) & 0x3F) + 1},
        {((c & 1) << 5) | (d >> 11), (d >> 5) & 0x3F, (d & 0x1F) + 1},
    };
    const RdsSegmentedText &rt = m_state.rt;
    const int width = m_rtVersionB ? 2 : 4;
    for (const Tag &tag : tags) {
        if (tag.type == 0 || tag.start + tag.length > RtLength || rt.receiving.size() != RtLength)
            continue;
        // The tag points into the text being received; take it only once
        // every character it covers has arrived.
        bool whole = true;
        for (int i = tag.start; i < tag.start + tag.length; ++i)
            whole = whole && ((rt.segments >> (i / width)) & 1);
        if (!whole)
            continue;
        const RdsRtPlusItem item{RtPlusTypeName(tag.type),
                                 TrimEnd(rt.receiving.mid(tag.start, tag.length))};
        auto it = std::find_if(m_state.rtPlus.begin(), m_state.rtPlus.end(),
                               [&](const RdsRtPlusItem &i) { return i.type == item.type; });
        if (it == m_state.rtPlus.end()) {
            m_state.rtPlus.append(item);
            changes |= RtPlus;
        } else if (*it != item) {
            *it = item;
            changes |= RtPlus;
        }
    }
    return changes;
}

std::uint32_t RdsDecoder::decodeEon(const RdsGroup &g)
{
    if (!g.has(RdsGroup::D))
        return 0;
    const int pi = g[RdsGroup::D];
    auto it = std::find_if(m_state.otherNetworks.begin(), m_state.otherNetworks.end(),
                           [pi](const RdsOtherNetwork &n) { return n.pi == pi; });
    if (it == m_state.otherNetworks.end()) {
        if (m_state.otherNetworks.size() >= MaxOtherNetworks)
            return 0;
        RdsOtherNetwork network;
        network.pi = pi;
        network.ps = QString(PsLength, QLatin1Char(' '));
        m_state.otherNetworks.append(network);
        it = m_state.otherNetworks.end() - 1;
    }
    RdsOtherNetwork &on = *it;
    const RdsOtherNetwork before = on;
    const int b = g[RdsGroup::B];
    on.tp = (b >> 4) & 1;
    if (g.versionB()) {
        on.ta = (b >> 3) & 1;
    } else if (g.has(RdsGroup::C)) {
        const int c = g[RdsGroup::C];
        const int variant = b & 0xF;
        auto addFrequency = [&on](int code) {
            if (IsAfFrequency(code) && !on.frequencies.contains(AfFrequency(code)) &&
                on.frequencies.size() < MaxFrequencies)
                on.frequencies.append(AfFrequency(code));
        };
        if (variant <= 3) {
            on.ps[variant * 2] = RdsChar(static_cast<unsigned char>(c >> 8));
            on.ps[variant * 2 + 1] = RdsChar(static_cast<unsigned char>(c & 0xFF));
        } else if (variant == 4) {
            addFrequency(c >> 8);
            addFrequency(c & 0xFF);
        } else if (variant <= 9) {
            addFrequency(c & 0xFF); // the other network's frequency beside ours
        } else if (variant == 13) {
            on.pty = c >> 11;
            on.ta = c & 1;
        }
    }
    const bool changed = on.ps != before.ps || on.tp != before.tp || on.ta != before.ta ||
                         on.pty != before.pty || on.frequencies != before.frequencies;
    return changed ? std::uint32_t(Eon) : 0u;
}

} // namespace vantor
