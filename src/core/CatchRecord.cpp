#include "core/CatchRecord.h"

#include <QStringList>

#include <array>

namespace kelpora::record {

namespace {

using T = ColumnType;

constexpr std::array<Column, 55> kColumns{{
    {"CODENO", T::Integer, 0, "Ｎｏ", true},
    {"DAY_DATA", T::Text, 20, "日付"},
    {"TENNKI", T::Text, 20, "天候"},
    {"FUNE", T::Text, 20, "ポイント"},
    {"BASYO", T::Text, 20, "場所"},
    {"SHIO", T::Text, 20, "潮"},
    {"KIJYUNN", T::Text, 20, "基準場所"},
    {"KYUUREKI", T::Text, 10, "旧暦"},
    {"OLD_SHIO", T::Text, 20, ""},
    {"MAX1", T::Text, 10, "満潮１の時刻"},
    {"MAX2", T::Text, 10, "満潮２の時刻"},
    {"MAX1_HIGHT", T::Integer, 0, "満潮１の潮位"},
    {"MAX2_HIGHT", T::Integer, 0, "満潮２の潮位"},
    {"MIN1", T::Text, 10, "干潮１の時刻"},
    {"MIN2", T::Text, 10, "干潮２の時刻"},
    {"MIN1_LOW", T::Integer, 0, "干潮１の潮位"},
    {"MIN2_LOW", T::Integer, 0, "干潮２の潮位"},
    {"FISH1", T::Text, 20, "魚種１"},
    {"FISH1_MAX", T::Integer, 0, "魚種１の最大"},
    {"FISH1_MIN", T::Integer, 0, "魚種１の最小"},
    {"FISH1_KAZU", T::Integer, 0, "魚種１の数"},
    {"FISH2", T::Text, 20, "魚種２"},
    {"FISH2_MAX", T::Integer, 0, "魚種２の最大"},
    {"FISH2_MIN", T::Integer, 0, "魚種２の最小"},
    {"FISH2_KAZU", T::Integer, 0, "魚種２の数"},
    {"FISH3", T::Text, 20, "魚種３"},
    {"FISH3_MAX", T::Integer, 0, "魚種３の最大"},
    {"FISH3_MIN", T::Integer, 0, "魚種３の最小"},
    {"FISH3_KAZU", T::Integer, 0, "魚種３の数"},
    {"SHIKAKE", T::Memo, 0, "仕掛け"},
    {"BIKOU", T::Memo, 0, "釣果　釣行記録"},
    {"SHIO_ZU", T::Picture, 0, "潮位"},
    {"CHIZU", T::Picture, 0, "地図・仕掛図など"},
    {"PHOTO1", T::Picture, 0, "写真１"},
    {"PHOTO2", T::Picture, 0, "写真２"},
    {"PHOTO3", T::Picture, 0, "写真３"},
    {"PHOTO4", T::Picture, 0, "写真４"},
    {"NEW_1_S", T::Integer, 0, "釣行時間"},
    {"NEW_1_E", T::Integer, 0, "釣行時間"},
    {"NEW_2_S", T::Integer, 0, "地合　１"},
    {"NEW_2_E", T::Integer, 0, "地合　１"},
    {"NEW_3_S", T::Integer, 0, "地合　２"},
    {"NEW_3_E", T::Integer, 0, "地合　２"},
    {"NEW_4_S", T::Integer, 0, "釣れた時間"},
    {"NEW_4_E", T::Integer, 0, "釣れた時間"},
    {"NEW_5_S", T::Integer, 0, "釣れた時間"},
    {"NEW_5_E", T::Integer, 0, "釣れた時間"},
    {"NEW_6_S", T::Integer, 0, "釣れた時間"},
    {"NEW_6_E", T::Integer, 0, "釣れた時間"},
    {"TIME1_START", T::Integer, 0, ""},
    {"TIME1_END", T::Integer, 0, ""},
    {"TIME2_START", T::Integer, 0, ""},
    {"TIME2_END", T::Integer, 0, ""},
    {"TIME3_START", T::Integer, 0, ""},
    {"TIME3_END", T::Integer, 0, ""},
}};

constexpr std::array<const char*, 18> kMarkColumns{"TIME1_START", "TIME1_END", "TIME2_START", "TIME2_END",
    "TIME3_START", "TIME3_END", "NEW_1_S", "NEW_1_E", "NEW_2_S", "NEW_2_E", "NEW_3_S", "NEW_3_E", "NEW_4_S", "NEW_4_E",
    "NEW_5_S", "NEW_5_E", "NEW_6_S", "NEW_6_E"};

} // namespace

std::span<const char* const, 18> markColumns()
{
    return kMarkColumns;
}

std::span<const char* const, 12> chartMarkColumns()
{
    return markColumns().subspan<6>();
}

std::span<const Column> columns()
{
    return kColumns;
}

const Column* find(const QString& name)
{
    for (const Column& c : kColumns)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

QString label(const Column& c)
{
    return QString::fromUtf8(c.label);
}

QString createTableSql()
{
    QStringList defs;
    for (const Column& c : kColumns) {
        QString type;
        switch (c.type) {
        case T::Integer:
            type = QStringLiteral("INTEGER");
            break;
        case T::Text:
            type = QStringLiteral("VARCHAR(%1)").arg(c.byteLength);
            break;
        case T::Memo:
            type = QStringLiteral("BLOB SUB_TYPE 1");
            break;
        case T::Picture:
            type = QStringLiteral("BLOB SUB_TYPE 0");
            break;
        }
        QString def = QLatin1String(c.name) + u' ' + type;
        if (c.primaryKey)
            def += QStringLiteral(" NOT NULL PRIMARY KEY");
        defs << def;
    }
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(QLatin1String(kTable), defs.join(QStringLiteral(", ")));
}

QString insertAllSql()
{
    QStringList names;
    QStringList params;
    for (const Column& c : kColumns) {
        names << QLatin1String(c.name);
        params << QStringLiteral(":par") + QLatin1String(c.name);
    }
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(QLatin1String(kTable), names.join(QStringLiteral(", ")), params.join(QStringLiteral(", ")));
}

} // namespace kelpora::record
