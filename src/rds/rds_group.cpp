#include "rds_group.h"

#include <QString>

#include <bit>

namespace vantor {

std::optional<RdsGroup> RdsGroup::Parse(QStringView text)
{
    if (text.size() != 16)
        return std::nullopt;
    RdsGroup group;
    group.received = 0xF;
    for (int i = 0; i < 16; ++i) {
        const char16_t u = text[i].unicode();
        int digit;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        else if (u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else
            digit = -1;
        const int block = i / 4;
        if (digit < 0)
            group.received &= ~(1u << block);
        else
            group.blocks[block] = static_cast<std::uint16_t>(group.blocks[block] << 4 | digit);
    }
    for (int b = 0; b < 4; ++b) {
        if (!((group.received >> b) & 1))
            group.blocks[b] = 0;
    }
    return group;
}

int RdsGroup::missingBlocks() const
{
    return 4 - std::popcount(static_cast<unsigned>(received));
}

QString RdsGroupTypeName(int typeIndex)
{
    return QString::number(typeIndex >> 1) + QLatin1Char(typeIndex & 1 ? 'B' : 'A');
}

int RdsGroupTypeIndex(QStringView name)
{
    if (name.size() < 2 || name.size() > 3)
        return -1;
    const QChar version = name.back().toUpper();
    if (version != QLatin1Char('A') && version != QLatin1Char('B'))
        return -1;
    bool ok = false;
    const int type = name.first(name.size() - 1).toInt(&ok);
    if (!ok || type < 0 || type > 15 || !name.front().isDigit())
        return -1;
    return type * 2 + (version == QLatin1Char('B') ? 1 : 0);
}

} // namespace vantor
