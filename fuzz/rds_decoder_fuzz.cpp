// The RDS decoder fed what a hostile or noisy receiver could deliver: group
// texts one per line, and the input's bytes taken as groups nine at a time
// (four blocks and which of them arrived). The decoder must not fault, its
// state must stay bounded, and every character of a PS or RadioText must be
// one the groups carried.
#include "rds_decoder.h"
#include "rds_tables.h"

#include <QSet>

#include <cstdint>
#include <cstdlib>

using namespace vantor;

namespace {

class Checked
{
public:
    void feed(const RdsGroup &group)
    {
        for (const RdsGroup::Block b : {RdsGroup::B, RdsGroup::C, RdsGroup::D}) {
            if (group.has(b)) {
                m_received.insert(RdsChar(static_cast<unsigned char>(group[b] >> 8)));
                m_received.insert(RdsChar(static_cast<unsigned char>(group[b] & 0xFF)));
            }
        }
        m_decoder.feed(group, m_now);
        m_now += OneSecond / 11.4;
        check();
        if (++m_groups % 500 == 0) {
            m_decoder.reset();
            check();
        }
    }

private:
    void madeOfReceived(const QString &text, bool blanksAllowed) const
    {
        for (const QChar c : text) {
            if (!m_received.contains(c) && !(blanksAllowed && c == QLatin1Char(' ')))
                std::abort();
        }
    }

    void check() const
    {
        const RdsState &s = m_decoder.state();
        if (!s.ps.complete.isEmpty() && s.ps.complete.size() != 8)
            std::abort();
        if (s.ps.receiving.size() > 8 || s.rt.receiving.size() > 64 || s.rt.complete.size() > 64)
            std::abort();
        madeOfReceived(s.ps.complete, false);
        madeOfReceived(s.rt.complete, false);
        madeOfReceived(s.ps.receiving, true);
        madeOfReceived(s.rt.receiving, true);
        if (s.longPs.complete.size() > 32)
            std::abort();
        if (s.af.same.size() > RdsDecoder::MaxFrequencies ||
            s.af.regional.size() > RdsDecoder::MaxFrequencies)
            std::abort();
        if (s.otherNetworks.size() > RdsDecoder::MaxOtherNetworks || s.rtPlus.size() > 64)
            std::abort();
        for (const RdsOtherNetwork &on : s.otherNetworks) {
            if (on.ps.size() != 8 || on.frequencies.size() > RdsDecoder::MaxFrequencies)
                std::abort();
            madeOfReceived(on.ps, true);
        }
        if (s.blockErrorShare > 100)
            std::abort();
        std::uint64_t counted = 0;
        for (const auto n : s.groupCounts)
            counted += n;
        if (counted != s.groups)
            std::abort();
    }

    RdsDecoder m_decoder;
    QSet<QChar> m_received;
    TDateTime m_now = ToDateTime(QDate(2024, 5, 1), QTime(12, 0));
    int m_groups = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    Checked fromText;
    for (const QByteArray &line : bytes.split('\n')) {
        if (const auto group = RdsGroup::Parse(QString::fromLatin1(line)))
            fromText.feed(*group);
    }
    Checked fromBytes;
    for (std::size_t at = 0; at + 9 <= size; at += 9) {
        RdsGroup group;
        for (int b = 0; b < 4; ++b)
            group.blocks[b] =
                static_cast<std::uint16_t>(data[at + 2 * b] << 8 | data[at + 2 * b + 1]);
        group.received = data[at + 8] & 0xF;
        for (int b = 0; b < 4; ++b) {
            if (!group.has(static_cast<RdsGroup::Block>(b)))
                group.blocks[b] = 0;
        }
        fromBytes.feed(group);
    }
    return 0;
}
