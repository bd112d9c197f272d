#pragma once

#include <QDialog>

#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kelpora {
class DataSource;
class ImageArea;
class SqlQuery;
} // namespace kelpora

// The record browser: one stored catch record at a time, with its pictures, and
// the correction of its text and number fields.
class TFishdataF : public QDialog {
    Q_OBJECT
public:
    explicit TFishdataF(QWidget* owner);
    ~TFishdataF() override;

    // --- record fields ---
    QLineEdit* Edit_No;
    QLineEdit* Edit_Day;
    QLineEdit* Edit_Tenki;
    QLineEdit* Edit_Place;
    QLineEdit* Edit_Fune;
    QLineEdit* Edit_Shio;
    QLineEdit* Edit_Shio_Kijyun;
    QLineEdit* Edit_Old_Day;
    QLineEdit* Edit_Old_Sho;
    QLineEdit* Edit_Max_T1;
    QLineEdit* Edit_Max_T2;
    QLineEdit* Edit_Max_H1;
    QLineEdit* Edit_Max_H2;
    QLineEdit* Edit_Min_T1;
    QLineEdit* Edit_Min_T2;
    QLineEdit* Edit_Min_H1;
    QLineEdit* Edit_Min_H2;
    QLineEdit* Edit_F1;
    QLineEdit* Edit_F2;
    QLineEdit* Edit_F3;
    QLineEdit* Edit_F1_Max;
    QLineEdit* Edit_F2_Max;
    QLineEdit* Edit_F3_Max;
    QLineEdit* Edit_F1_Min;
    QLineEdit* Edit_F2_Min;
    QLineEdit* Edit_F3_Min;
    QLineEdit* Edit_F1_kazu;
    QLineEdit* Edit_F2_kazu;
    QLineEdit* Edit_F3_kazu;
    QPlainTextEdit* Memo_Shikake;
    QPlainTextEdit* Memo_Cyouka;

    // --- pictures ---
    kelpora::ImageArea* Image_Shio;
    kelpora::ImageArea* Image_Map;
    kelpora::ImageArea* Image_A;
    kelpora::ImageArea* Image_B;
    kelpora::ImageArea* Image_C;
    kelpora::ImageArea* Image_D;

    // --- buttons ---
    QPushButton* Btn_First;
    QPushButton* Btn_D_10;
    QPushButton* Btn_Prior;
    QPushButton* Btn_Next;
    QPushButton* Btn_U_10;
    QPushButton* Btn_Last;
    QPushButton* Btn_Return;
    QPushButton* Btn_All_Show;
    QPushButton* Btn_worksheet;
    QLabel* Label_kensaku;
    QPushButton* Btn_All_2;
    QComboBox* CBox_Kensaku;
    QPushButton* But_Cyoui;
    QPushButton* Btn_Chizu;
    QPushButton* Btn_Photo;
    QPushButton* Btn_Teisei;
    QPushButton* Btn_No;

    // --- data ---
    kelpora::SqlQuery* IBSQL_2;
    kelpora::SqlQuery* IBSQL_UP;
    kelpora::DataSource* DS_OUT;

    // Routines shared with the correction and the search.
    void ClearRoutine();
    void LoadAllRecords();
    void DisplayRoutine();
    bool correcting() const;

    // Event handlers.
    void FormShow();
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

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildFields();
    void buildPictures();
    void buildButtons();
    void connectHandlers();
    void fieldEdited();
    void setCorrecting(bool on);
    void reopenAt(const QString& key);
    void showPictures();
    bool runUpdate();

    std::unique_ptr<kelpora::DataSource> m_dataSource;
    std::vector<QLineEdit*> m_correctable; // the 28 fields the update writes
    std::vector<QPushButton*> m_navigation;
    bool m_filling = false;
    bool m_correcting = false;
};

extern TFishdataF* FishdataF;
