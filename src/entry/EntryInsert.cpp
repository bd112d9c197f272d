#include "entry/EntryInsert.h"

#include "core/CatchRecord.h"
#include "core/Error.h"
#include "core/SharedState.h"
#include "core/SqlQuery.h"
#include "core/TideValues.h"
#include "entry/Fish_Data_IN.h"
#include "imaging/PictureColumns.h"
#include "imaging/PictureStore.h"
#include "kit/FieldTable.h"
#include "kit/ImageArea.h"

#include <QLineEdit>

namespace kelpora {

namespace {

QString param(const char* column)
{
    return kit::parameterOf(column);
}

void bindHeight(SqlQuery& statement, const char* column, const QLineEdit* field, const QString& label)
{
    const QString text = field->text();
    if (text.isEmpty()) {
        statement.bindNull(param(column));
        return;
    }
    const std::optional<qint32> height = TideValues::height(text);
    if (!height)
        throw ConversionError(QStringLiteral("「%1」の '%2' は正しい数値ではありません").arg(label, text));
    statement.bindInteger(param(column), *height);
}

} // namespace

QStringList EntryInsert::lines()
{
    return {
        QStringLiteral(" insert into FISH_DATA                             "),
        QStringLiteral(" (                                                 "),
        QStringLiteral(" CODENO,                                           "),
        QStringLiteral(" DAY_DATA,  \t TENNKI,  \tFUNE,  \t     BASYO,       "),
        QStringLiteral(" SHIO,  \t     KIJYUNN,  \tKYUUREKI,  \t OLD_SHIO,    "),
        QStringLiteral(" MAX1,  \t     MAX2,  \t  MAX1_HIGHT,  MAX2_HIGHT,  "),
        QStringLiteral(" MIN1,  \t     MIN2,  \t  MIN1_LOW,  \t MIN2_LOW,    "),
        QStringLiteral(" FISH1,  \t   FISH1_MAX, FISH1_MIN,   FISH1_KAZU,  "),
        QStringLiteral(" FISH2,  \t   FISH2_MAX, FISH2_MIN,   FISH2_KAZU,  "),
        QStringLiteral(" FISH3,  \t   FISH3_MAX, FISH3_MIN,   FISH3_KAZU,  "),
        QStringLiteral(" SHIKAKE,  \t BIKOU,  \t  SHIO_ZU,  \t CHIZU,       "),
        QStringLiteral(" PHOTO1,  \t   PHOTO2,  \tPHOTO3,  \t   PHOTO4,      "),
        QStringLiteral("NEW_1_S,NEW_1_E,NEW_2_S,NEW_2_E,"),
        QStringLiteral("NEW_3_S,NEW_3_E,NEW_4_S,NEW_4_E,"),
        QStringLiteral("NEW_5_S,NEW_5_E,NEW_6_S,NEW_6_E,"),
        QStringLiteral("TIME1_START,TIME1_END,TIME2_START,TIME2_END,   "),
        QStringLiteral("TIME3_START,TIME3_END                            "),
        QStringLiteral("                                                 ) "),
        QStringLiteral(" values                                            "),
        QStringLiteral(" (                                                 "),
        QStringLiteral(" :parCODENO,                                                     "),
        QStringLiteral(" :parDAY_DATA ,\t:parTENNKI   , :parFUNE  \t    , :parBASYO      ,"),
        QStringLiteral(" :parSHIO  \t , :parKIJYUNN   , :parKYUUREKI  \t, :parOLD_SHIO   ,"),
        QStringLiteral(" :parMAX1  \t , :parMAX2  \t   , :parMAX1_HIGHT , :parMAX2_HIGHT ,"),
        QStringLiteral(" :parMIN1  \t , :parMIN2  \t   , :parMIN1_LOW  \t, :parMIN2_LOW   ,"),
        QStringLiteral(" :parFISH1  \t , :parFISH1_MAX , :parFISH1_MIN  , :parFISH1_KAZU ,"),
        QStringLiteral(" :parFISH2  \t , :parFISH2_MAX , :parFISH2_MIN  , :parFISH2_KAZU ,"),
        QStringLiteral(" :parFISH3  \t , :parFISH3_MAX , :parFISH3_MIN  , :parFISH3_KAZU ,"),
        QStringLiteral(" :parSHIKAKE  ,\t:parBIKOU    , :parSHIO_ZU    , :parCHIZU      ,"),
        QStringLiteral(" :parPHOTO1   , :parPHOTO2    , :parPHOTO3     , :parPHOTO4     ,"),
        QStringLiteral(":parNEW_1_S,:parNEW_1_E,:parNEW_2_S,:parNEW_2_E,"),
        QStringLiteral(":parNEW_3_S,:parNEW_3_E,:parNEW_4_S,:parNEW_4_E,"),
        QStringLiteral(":parNEW_5_S,:parNEW_5_E,:parNEW_6_S,:parNEW_6_E,"),
        QStringLiteral(" :parTIME1_START, :parTIME1_END, :parTIME2_START, :parTIME2_END ,"),
        QStringLiteral(" :parTIME3_START, :parTIME3_END                                  "),
        QStringLiteral("  )                                                              "),
    };
}

void EntryInsert::prepare(TFishDataIn& window, SqlQuery& statement, const std::array<QString, 4>& times)
{
    statement.close();
    statement.clearSql();
    for (const QString& line : lines())
        statement.addSql(line);

    // A new record has nothing read from the database to keep byte for byte.
    const kit::ReadBack nothingRead;
    kit::bind(window, TFishDataIn::fields(), statement, nothingRead);

    const auto rows = TFishDataIn::tideRows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const TFishDataIn::TideRow& row = rows[i];
        if (times[i].isNull())
            statement.bindNull(param(row.timeColumn));
        else
            statement.bindText(param(row.timeColumn), times[i]);
        bindHeight(statement, row.heightColumn, window.*row.height, kit::labelOf(row.heightColumn, nullptr));
    }

    const auto areas = window.pictureAreas();
    for (size_t i = 0; i < areas.size(); ++i)
        PictureStore::bindPicture(
            statement, param(pictureColumns()[i].name), areas[i]->picture(), WriteRule::KeepOrEncode);

    const auto marks = record::markColumns();
    for (size_t i = 0; i < marks.size(); ++i)
        statement.bindInteger(param(marks[i]), Shio_Marks[i]);
}

} // namespace kelpora
