// The fixed tables of RDS: its character set, the programme type names of
// RDS and of RBDS (North America), RadioText Plus content types and the
// countries of the extended country codes.
#pragma once

#include <QString>

namespace vantor {

enum class PtyNames { Rds, Rbds };

// The character an RDS text byte above the ASCII range stands for.
QChar RdsHighChar(unsigned char byte);

// The character an RDS text byte stands for (the basic RDS character set;
// bytes without a character give U+FFFD). Inline: every text byte of every
// group passes here, and nearly all are ASCII.
inline QChar RdsChar(unsigned char byte)
{
    if (byte >= 0x20 && byte < 0x7F)
        return QChar(char16_t(byte));
    return RdsHighChar(byte);
}

// The name of programme type 0 to 31 in the chosen table.
QString PtyName(int pty, PtyNames table);

// "item.title", "item.artist", … for RT+ content types 0 to 63.
QString RtPlusTypeName(int contentType);

// The two-letter country (ISO 3166) of an ECC and the country nibble of a PI,
// or an empty text when the table has none.
QString EccCountry(int ecc, int pi);

} // namespace vantor
