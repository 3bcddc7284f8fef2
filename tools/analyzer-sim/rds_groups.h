// RDS groups as the receiver's decoder reports them: the four 16-bit blocks of
// the group types the simulator transmits (0A programme service name, 2A
// radiotext, 4A clock time), and their "G" value text.
#pragma once

#include <QByteArray>
#include <QDateTime>

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace vantor::sim {

using RdsGroup = std::array<quint16, 4>;

// 0A group carrying characters 2*segment and 2*segment+1 of the 8-byte PS.
RdsGroup psGroup(quint16 pi, const QByteArray &ps, int segment);

// Number of 2A segments (4 characters each) needed for the text and its end
// mark; 0 for an empty text.
int radioTextSegments(const QByteArray &text);
// 2A group carrying characters 4*segment to 4*segment+3; past the text's end
// comes a carriage return and then blanks.
RdsGroup radioTextGroup(quint16 pi, const QByteArray &text, int segment, bool textB);

// 4A group announcing the minute of stationTime: UTC hour, minute and MJD, and
// the local offset in half hours (rounded) that turns them into stationTime.
RdsGroup clockTimeGroup(quint16 pi, const QDateTime &stationTime);

// A group of a capture received off air, with the blocks the capture lost
// (bit 1 << index, as for groupText).
struct CapturedGroup {
    RdsGroup group{};
    unsigned lost = 0;
    bool operator==(const CapturedGroup &) const = default;
};

// The groups of a capture file: one group a line as the receivers deliver it
// (16 hexadecimal digits, "----" for a lost block); blank lines, lines
// starting with "#" and "expect" lines are skipped. Nothing, with *error
// naming the line, when a line is no group or the file holds none.
std::optional<QList<CapturedGroup>> readCapture(const QString &path, QString *error);

// 16 upper-case hexadecimal digits; a block whose bit (1 << index, block A =
// index 0) is set in lostBlocks is written "----".
QByteArray groupText(const RdsGroup &group, unsigned lostBlocks = 0);

} // namespace vantor::sim
