#include "browser/SearchKinds.h"

#include <array>

namespace kelpora::search {

namespace {

// The statements are sent exactly as written here, blanks included.
const std::array<Kind, 4>& table()
{
    static const std::array<Kind, 4> kinds{{
        {1, QStringLiteral("魚種"), QStringLiteral("魚種で検索"), QStringLiteral("魚種で検索します "),
            QStringLiteral("FISH1"),
            {
                QStringLiteral(" select distinct FISH1 from FISH_DATA "),
                QStringLiteral(" union                                "),
                QStringLiteral(" select distinct FISH2 from FISH_DATA "),
                QStringLiteral(" union                                "),
                QStringLiteral(" select distinct FISH3 from FISH_DATA "),
            },
            {
                QStringLiteral(" select * from FISH_DATA "),
                QStringLiteral(" where                   "),
                QStringLiteral(" FISH1 = :parFISH        "),
                QStringLiteral(" or                      "),
                QStringLiteral(" FISH2 = :parFISH        "),
                QStringLiteral(" or                      "),
                QStringLiteral(" FISH3 = :parFISH        "),
                QStringLiteral(" order by CODENO         "),
            },
            QStringLiteral("parFISH")},
        {3, QStringLiteral("場所"), QStringLiteral("場所で検索"), QStringLiteral("場所で検索します "),
            QStringLiteral("BASYO"), {QStringLiteral(" select distinct BASYO from FISH_DATA ")},
            {
                QStringLiteral(" select * from FISH_DATA "),
                QStringLiteral(" where                   "),
                QStringLiteral(" BASYO = :parBASYO       "),
                QStringLiteral(" order by CODENO         "),
            },
            QStringLiteral("parBASYO")},
        {4, QStringLiteral("ﾎﾟｲﾝﾄ"), QStringLiteral("ﾎﾟｲﾝﾄで検索"), QStringLiteral("ﾎﾟｲﾝﾄで検索します"),
            QStringLiteral("FUNE"), {QStringLiteral(" select distinct FUNE from FISH_DATA ")},
            {
                QStringLiteral(" select * from FISH_DATA "),
                QStringLiteral(" where                   "),
                QStringLiteral(" FUNE = :parFUNE         "),
                QStringLiteral(" order by CODENO         "),
            },
            QStringLiteral("parFUNE")},
        {kMonth, QStringLiteral("月"), QStringLiteral("月で検索"), QString(), QString(), {},
            {QStringLiteral(
                " select * from FISH_DATA       where DAY_DATA like :parTUKI  order by CODENO              ")},
            QStringLiteral("parTUKI")},
    }};
    return kinds;
}

} // namespace

std::span<const Kind> kinds()
{
    return table();
}

const Kind* find(int serchKind)
{
    for (const Kind& k : table())
        if (k.serchKind == serchKind)
            return &k;
    return nullptr;
}

const Kind* byItem(const QString& item)
{
    for (const Kind& k : table())
        if (k.item == item)
            return &k;
    return nullptr;
}

} // namespace kelpora::search
