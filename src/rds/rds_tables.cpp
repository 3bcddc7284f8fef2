#include "rds_tables.h"

#include <array>

namespace vantor {

namespace {

// Bytes 0x80 to 0xFF of the basic RDS character set, sixteen to a row.
// clang-format off
constexpr char16_t HighChars[128] = {
    u'á', u'à', u'é', u'è', u'í', u'ì', u'ó', u'ò', u'ú', u'ù', u'Ñ', u'Ç', u'Ş', u'ß', u'¡', u'Ĳ',
    u'â', u'ä', u'ê', u'ë', u'î', u'ï', u'ô', u'ö', u'û', u'ü', u'ñ', u'ç', u'ş', u'ğ', u'ı', u'ĳ',
    u'ª', u'α', u'©', u'‰', u'Ğ', u'ě', u'ň', u'ő', u'π', u'€', u'£', u'$', u'←', u'↑', u'→', u'↓',
    u'º', u'¹', u'²', u'³', u'±', u'İ', u'ń', u'ű', u'µ', u'¿', u'÷', u'°', u'¼', u'½', u'¾', u'§',
    u'Á', u'À', u'É', u'È', u'Í', u'Ì', u'Ó', u'Ò', u'Ú', u'Ù', u'Ř', u'Č', u'Š', u'Ž', u'Ð', u'Ŀ',
    u'Â', u'Ä', u'Ê', u'Ë', u'Î', u'Ï', u'Ô', u'Ö', u'Û', u'Ü', u'ř', u'č', u'š', u'ž', u'đ', u'ŀ',
    u'Ã', u'Å', u'Æ', u'Œ', u'ŷ', u'Ý', u'Õ', u'Ø', u'Þ', u'Ŋ', u'Ŕ', u'Ć', u'Ś', u'Ź', u'Ŧ', u'ð',
    u'ã', u'å', u'æ', u'œ', u'ŵ', u'ý', u'õ', u'ø', u'þ', u'ŋ', u'ŕ', u'ć', u'ś', u'ź', u'ŧ', u'\uFFFD',
};
// clang-format on

constexpr std::array<const char *, 32> RdsPty = {"None",
                                                 "News",
                                                 "Current Affairs",
                                                 "Information",
                                                 "Sport",
                                                 "Education",
                                                 "Drama",
                                                 "Culture",
                                                 "Science",
                                                 "Varied",
                                                 "Pop Music",
                                                 "Rock Music",
                                                 "Easy Listening",
                                                 "Light Classical",
                                                 "Serious Classical",
                                                 "Other Music",
                                                 "Weather",
                                                 "Finance",
                                                 "Children's Programmes",
                                                 "Social Affairs",
                                                 "Religion",
                                                 "Phone-in",
                                                 "Travel",
                                                 "Leisure",
                                                 "Jazz Music",
                                                 "Country Music",
                                                 "National Music",
                                                 "Oldies Music",
                                                 "Folk Music",
                                                 "Documentary",
                                                 "Alarm Test",
                                                 "Alarm"};

constexpr std::array<const char *, 32> RbdsPty = {"None",
                                                  "News",
                                                  "Information",
                                                  "Sports",
                                                  "Talk",
                                                  "Rock",
                                                  "Classic Rock",
                                                  "Adult Hits",
                                                  "Soft Rock",
                                                  "Top 40",
                                                  "Country",
                                                  "Oldies",
                                                  "Soft",
                                                  "Nostalgia",
                                                  "Jazz",
                                                  "Classical",
                                                  "Rhythm and Blues",
                                                  "Soft Rhythm and Blues",
                                                  "Language",
                                                  "Religious Music",
                                                  "Religious Talk",
                                                  "Personality",
                                                  "Public",
                                                  "College",
                                                  "Spanish Talk",
                                                  "Spanish Music",
                                                  "Hip Hop",
                                                  "Unassigned",
                                                  "Unassigned",
                                                  "Weather",
                                                  "Emergency Test",
                                                  "Emergency"};

constexpr std::array<const char *, 64> RtPlusTypes = {"dummy_class",
                                                      "item.title",
                                                      "item.album",
                                                      "item.tracknumber",
                                                      "item.artist",
                                                      "item.composition",
                                                      "item.movement",
                                                      "item.conductor",
                                                      "item.composer",
                                                      "item.band",
                                                      "item.comment",
                                                      "item.genre",
                                                      "info.news",
                                                      "info.news.local",
                                                      "info.stockmarket",
                                                      "info.sport",
                                                      "info.lottery",
                                                      "info.horoscope",
                                                      "info.daily_diversion",
                                                      "info.health",
                                                      "info.event",
                                                      "info.scene",
                                                      "info.cinema",
                                                      "info.stupidity.machine",
                                                      "info.date_time",
                                                      "info.weather",
                                                      "info.traffic",
                                                      "info.alarm",
                                                      "info.advertisement",
                                                      "info.url",
                                                      "info.other",
                                                      "stationname.short",
                                                      "stationname.long",
                                                      "programme.now",
                                                      "programme.next",
                                                      "programme.part",
                                                      "programme.host",
                                                      "programme.editorial_staff",
                                                      "programme.frequency",
                                                      "programme.homepage",
                                                      "programme.subchannel",
                                                      "phone.hotline",
                                                      "phone.studio",
                                                      "phone.other",
                                                      "sms.studio",
                                                      "sms.other",
                                                      "email.hotline",
                                                      "email.studio",
                                                      "email.other",
                                                      "mms.other",
                                                      "chat",
                                                      "chat.centre",
                                                      "vote.question",
                                                      "vote.centre",
                                                      "rfu.1",
                                                      "rfu.2",
                                                      "private.1",
                                                      "private.2",
                                                      "private.3",
                                                      "place",
                                                      "appointment",
                                                      "identifier",
                                                      "purchase",
                                                      "get_data"};

// Countries of ECC E0 to E4 (Europe and the Mediterranean) by the PI's
// country nibble 1 to F; "" where the code is free.
constexpr std::array<std::array<const char *, 15>, 5> EuropeanCountries = {{
    {"DE", "DZ", "AD", "IL", "IT", "BE", "RU", "PS", "AL", "AT", "HU", "MT", "DE", "", "EG"},
    {"GR", "CY", "SM", "CH", "JO", "FI", "LU", "BG", "DK", "GI", "IQ", "GB", "LY", "RO", "FR"},
    {"MA", "CZ", "PL", "VA", "SK", "SY", "TN", "", "LI", "IS", "MC", "LT", "RS", "ES", "NO"},
    {"ME", "IE", "TR", "MK", "", "", "", "NL", "LV", "LB", "AZ", "HR", "KZ", "SE", "BY"},
    {"MD", "EE", "KG", "", "", "UA", "", "PT", "SI", "AM", "", "GE", "", "", "BA"},
}};

} // namespace

QChar RdsHighChar(unsigned char byte)
{
    if (byte >= 0x80)
        return QChar(HighChars[byte - 0x80]);
    if (byte == 0x7F)
        return QChar(u'¯');
    return QChar(u'\uFFFD');
}

QString PtyName(int pty, PtyNames table)
{
    if (pty < 0 || pty > 31)
        return {};
    return QString::fromUtf8(table == PtyNames::Rbds ? RbdsPty[pty] : RdsPty[pty]);
}

QString RtPlusTypeName(int contentType)
{
    if (contentType < 0 || contentType > 63)
        return {};
    return QString::fromLatin1(RtPlusTypes[contentType]);
}

QString EccCountry(int ecc, int pi)
{
    const int nibble = (pi >> 12) & 0xF;
    if (ecc < 0xE0 || ecc > 0xE4 || nibble == 0 || pi < 0)
        return {};
    return QString::fromLatin1(EuropeanCountries[ecc - 0xE0][nibble - 1]);
}

} // namespace vantor
