// One RDS group as the receiver delivers it: blocks A to D, each received or
// lost, read from the 16-character text in a single pass.
#pragma once

#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>

namespace vantor {

struct RdsGroup {
    enum Block { A, B, C, D };

    std::array<std::uint16_t, 4> blocks{};
    std::uint8_t received = 0; // bit n set when block n arrived

    // Four hexadecimal digits per block, "----" (or anything else that is no
    // hexadecimal digit) for a lost block. No group for a text that is not 16
    // characters long.
    static std::optional<RdsGroup> Parse(QStringView text);

    bool has(Block b) const { return (received >> b) & 1; }
    std::uint16_t operator[](Block b) const { return blocks[b]; }
    int missingBlocks() const;
    // 0 to 15, or -1 when block B was lost.
    int type() const { return has(B) ? blocks[B] >> 12 : -1; }
    // Version B (block C repeats the PI).
    bool versionB() const { return (blocks[B] >> 11) & 1; }
    // Type and version as one index, 2·type + version: 0 = 0A, 1 = 0B, …
    int typeIndex() const { return has(B) ? blocks[B] >> 11 : -1; }
};

// "0A", "15B" for a type index of RdsGroup::typeIndex().
QString RdsGroupTypeName(int typeIndex);
// The type index of "0A" … "15B", or -1.
int RdsGroupTypeIndex(QStringView name);

} // namespace vantor
