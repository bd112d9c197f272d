#pragma once

#include "app/FieldTable.h"
#include "app/KelporaWindow.h"

#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kelpora {
class DataSource;
class ImageArea;
class PictureCache;
class PicturePrefetch;
class RecordPictures;
class SqlQuery;
} // namespace kelpora

// The record browser: one stored catch record at a time, with its pictures, and
// the correction of its text and number fields.
class TFishdataF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TFishdataF(QWidget* owner);
    ~TFishdataF() override;

    // The record fields, their columns and how they are shown and written back.
    static kelpora::kit::FieldTable<TFishdataF> fields();
    // The correction statement, line by line.
    static QStringList updateLines();
    // The search statement of a search kind (Serch_Kind), line by line, and the name
    // of its parameter.
    static QStringList searchLines(int serchKind);
    static QString searchParameter(int serchKind);

    // --- record fields ---
    QLineEdit* Edit_No = nullptr;
    QLineEdit* Edit_Day = nullptr;
    QLineEdit* Edit_Tenki = nullptr;
    QLineEdit* Edit_Place = nullptr;
    QLineEdit* Edit_Fune = nullptr;
    QLineEdit* Edit_Shio = nullptr;
    QLineEdit* Edit_Shio_Kijyun = nullptr;
    QLineEdit* Edit_Old_Day = nullptr;
    QLineEdit* Edit_Old_Sho = nullptr;
    QLineEdit* Edit_Max_T1 = nullptr;
    QLineEdit* Edit_Max_T2 = nullptr;
    QLineEdit* Edit_Max_H1 = nullptr;
    QLineEdit* Edit_Max_H2 = nullptr;
    QLineEdit* Edit_Min_T1 = nullptr;
    QLineEdit* Edit_Min_T2 = nullptr;
    QLineEdit* Edit_Min_H1 = nullptr;
    QLineEdit* Edit_Min_H2 = nullptr;
    QLineEdit* Edit_F1 = nullptr;
    QLineEdit* Edit_F2 = nullptr;
    QLineEdit* Edit_F3 = nullptr;
    QLineEdit* Edit_F1_Max = nullptr;
    QLineEdit* Edit_F2_Max = nullptr;
    QLineEdit* Edit_F3_Max = nullptr;
    QLineEdit* Edit_F1_Min = nullptr;
    QLineEdit* Edit_F2_Min = nullptr;
    QLineEdit* Edit_F3_Min = nullptr;
    QLineEdit* Edit_F1_kazu = nullptr;
    QLineEdit* Edit_F2_kazu = nullptr;
    QLineEdit* Edit_F3_kazu = nullptr;
    QPlainTextEdit* Memo_Shikake = nullptr;
    QPlainTextEdit* Memo_Cyouka = nullptr;

    // --- pictures ---
    kelpora::ImageArea* Image_Shio = nullptr;
    kelpora::ImageArea* Image_Map = nullptr;
    kelpora::ImageArea* Image_A = nullptr;
    kelpora::ImageArea* Image_B = nullptr;
    kelpora::ImageArea* Image_C = nullptr;
    kelpora::ImageArea* Image_D = nullptr;

    // --- buttons ---
    QPushButton* Btn_First = nullptr;
    QPushButton* Btn_D_10 = nullptr;
    QPushButton* Btn_Prior = nullptr;
    QPushButton* Btn_Next = nullptr;
    QPushButton* Btn_U_10 = nullptr;
    QPushButton* Btn_Last = nullptr;
    QPushButton* Btn_Return = nullptr;
    QPushButton* Btn_All_Show = nullptr;
    QPushButton* Btn_worksheet = nullptr;
    QLabel* Label_kensaku = nullptr;
    QPushButton* Btn_All_2 = nullptr;
    QComboBox* CBox_Kensaku = nullptr;
    QPushButton* But_Cyoui = nullptr;
    QPushButton* Btn_Chizu = nullptr;
    QPushButton* Btn_Photo = nullptr;
    QPushButton* Btn_Teisei = nullptr;
    QPushButton* Btn_No = nullptr;
    QPushButton* Btn_Bunseki = nullptr;

    // --- data ---
    kelpora::SqlQuery* IBSQL_2 = nullptr;
    kelpora::SqlQuery* IBSQL_UP = nullptr;
    kelpora::DataSource* DS_OUT = nullptr;

    // Routines shared with the correction and the search.
    void ClearRoutine();
    void LoadAllRecords();
    void DisplayRoutine();
    void ValueSearch();
    void MonthSearch();
    bool correcting() const;

    // The shown record's pictures are still being decoded, or their failures not yet told.
    bool picturesPending() const;
    // The pictures of the records beside the shown one are being read and decoded ahead.
    bool readingAhead() const;
    // The pictures already read and drawn, which the photo viewer shares.
    std::shared_ptr<kelpora::PictureCache> pictureCache() const;

    // Event handlers.
    void Btn_FirstClick();
    void Btn_PriorClick();
    void Btn_NextClick();
    void Btn_LastClick();
    void Btn_D_10Click();
    void Btn_U_10Click();
    void Btn_All_ShowClick();
    void Btn_worksheetClick();
    void But_CyouiClick();
    void Btn_ChizuClick();
    void Btn_PhotoClick();
    void Image_PhotoDblClick();
    void Image_ShioDblClick();
    void Image_MapDblClick();
    void Btn_ReturnClick();
    void Btn_TeiseiClick();
    void Btn_NoClick();
    void CBox_KensakuChange(int index);
    void Btn_All_2Click();
    void Btn_BunsekiClick();

protected:
    void FormShow() override;

private:
    void buildCaptions();
    void buildPictures();
    void buildButtons();
    void connectHandlers();
    void fieldEdited();
    void setCorrecting(bool on);
    void reopenAt(const QString& key);
    void buildPictureShow();
    void showFieldsNow();
    void showPictures();
    void readAhead();
    bool runUpdate();
    bool hasRecord() const;
    void runSearch(int serchKind, const QString& value);

    std::unique_ptr<kelpora::DataSource> m_dataSource;
    std::vector<QPushButton*> m_navigation;
    kelpora::kit::ReadBack m_readBack;
    bool m_correcting = false;
    QString m_searchedSpecies; // of the species search in force, else empty

    std::shared_ptr<kelpora::PictureCache> m_pictureCache;
    kelpora::RecordPictures* m_pictures = nullptr;
    kelpora::PicturePrefetch* m_ahead = nullptr;
    int m_shownRow = -1;
    int m_direction = -1; // of the last step: opening on the last record, the user goes back
};

extern TFishdataF* FishdataF;
