#pragma once

#include "kit/FieldTable.h"
#include "kit/KelporaWindow.h"
#include "kit/Openers.h"

#include <array>
#include <span>
#include <vector>

class QComboBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kelpora {
class ImageArea;
class SqlQuery;
} // namespace kelpora

// The entry window, where a new catch record is typed in, mostly from the keyboard:
// Enter hops from field to field, digit fields take digits only, and place, point and
// species are picked from the values stored before. The tide chart editor and the map
// input hand their pictures back into Image_Shio and Image_Map.
class TFishDataIn : public kelpora::KelporaWindow, public kelpora::RecordOpener {
    Q_OBJECT
public:
    explicit TFishDataIn(QWidget* owner);
    ~TFishDataIn() override;

    // The record fields in Tab order, which is also the order Enter hops through them.
    static kelpora::kit::FieldTable<TFishDataIn> fields();

    // One high or low water: its time from two fields, its height from a third. The
    // field table takes its three fields from here.
    struct TideRow {
        QLineEdit* TFishDataIn::*hour;
        const char* hourName;
        QLineEdit* TFishDataIn::*minute;
        const char* minuteName;
        QLineEdit* TFishDataIn::*height;
        const char* heightName;
        int block; // 0: high water, at the left; 1: low water, at the right
        int row; // 0: the first, 1: the second below it
        const char* timeColumn;
        const char* heightColumn;
    };
    static std::span<const TideRow> tideRows();

    // --- record fields ---
    QLineEdit* Edit_No = nullptr;
    QLineEdit* Edit_Day = nullptr;
    QLineEdit* Edit_Tenki = nullptr;
    QLineEdit* Edit_Basyo = nullptr;
    QLineEdit* Edit_Fune = nullptr;
    QComboBox* CBox_Shio = nullptr;
    QLineEdit* Edit_Shio_Kijyun = nullptr;
    QLineEdit* Edit_Old_Day = nullptr;
    QLineEdit* Edit_Old_Sho = nullptr;
    QLineEdit* Edit_Max_T1 = nullptr;
    QLineEdit* Edit_Max_T1_2 = nullptr;
    QLineEdit* Edit_Max_H1 = nullptr;
    QLineEdit* Edit_Max_T2 = nullptr;
    QLineEdit* Edit_Max_T2_2 = nullptr;
    QLineEdit* Edit_Max_H2 = nullptr;
    QLineEdit* Edit_Min_T1 = nullptr;
    QLineEdit* Edit_Min_T1_2 = nullptr;
    QLineEdit* Edit_Min_H1 = nullptr;
    QLineEdit* Edit_Min_T2 = nullptr;
    QLineEdit* Edit_Min_T2_2 = nullptr;
    QLineEdit* Edit_Min_H2 = nullptr;
    QLineEdit* Edit_F1 = nullptr;
    QLineEdit* Edit_F1_Max = nullptr;
    QLineEdit* Edit_F1_Min = nullptr;
    QLineEdit* Edit_F1_kazu = nullptr;
    QLineEdit* Edit_F2 = nullptr;
    QLineEdit* Edit_F2_Max = nullptr;
    QLineEdit* Edit_F2_Min = nullptr;
    QLineEdit* Edit_F2_kazu = nullptr;
    QLineEdit* Edit_F3 = nullptr;
    QLineEdit* Edit_F3_Max = nullptr;
    QLineEdit* Edit_F3_Min = nullptr;
    QLineEdit* Edit_F3_kazu = nullptr;
    QPlainTextEdit* Memo_Shikake = nullptr;
    QPlainTextEdit* Memo_Cyouka = nullptr;

    // --- pictures ---
    QFrame* Panel_Shio = nullptr;
    kelpora::ImageArea* Image_Shio = nullptr;
    QFrame* Panel_Chizu = nullptr;
    kelpora::ImageArea* Image_Map = nullptr;
    QFrame* Panel_Photo = nullptr;
    kelpora::ImageArea* Image_A = nullptr;
    kelpora::ImageArea* Image_B = nullptr;
    kelpora::ImageArea* Image_C = nullptr;
    kelpora::ImageArea* Image_D = nullptr;

    // --- buttons ---
    QPushButton* Btn_New_Yes = nullptr;
    QPushButton* Btn_New_No = nullptr;
    QPushButton* Btn_Close = nullptr;
    QPushButton* But_Cyoui = nullptr;
    QPushButton* Btn_Chizu = nullptr;
    QPushButton* Btn_Apri_Chizu = nullptr;

    // --- data ---
    kelpora::SqlQuery* IBSQL_S = nullptr;
    kelpora::SqlQuery* IBSQL_UP = nullptr;

    // Empties the window for the next record and offers the next record number.
    void ResetForm();

    // The picture areas in the order of the record's picture columns.
    std::array<const kelpora::ImageArea*, 6> pictureAreas() const;

    // Where the tide chart editor and the map input hand their pictures back.
    QString recordNumberText() const override;
    kelpora::ImageArea* chartArea() const override { return Image_Shio; }
    kelpora::ImageArea* mapArea() const override { return Image_Map; }

    // Event handlers.
    void Btn_New_YesClick();
    void Btn_New_NoClick();
    void Btn_CloseClick();
    void Image_ShioDblClick();
    void Image_MapDblClick();
    void Image_Photo_DblClick(kelpora::ImageArea* photo);
    void Btn_Apri_ChizuClick();

    // Empties `edit`, asks the value picker for a `kind` value and puts the answer in.
    void OpenValuePicker(QLineEdit* edit, const QString& kind);

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void buildHeadings();
    void buildPictures();
    void buildButtons();
    void buildTabOrder();
    void connectHandlers();
    std::array<kelpora::ImageArea*, 4> photoAreas() const;

    bool filterFieldEvent(QWidget* field, QEvent* event);
    // The characters a digit field takes; empty for the other fields.
    QString allowedCharacters(QWidget* field) const;
    void enterPressed(QWidget* field);
    void moveFocusTo(QWidget* field);
    bool takesTab(const QWidget* widget) const;
    void normaliseDate();
    QString pickerKindOnFocus(QWidget* field) const;
    QString pickerKindOnDoubleClick(QWidget* field) const;

    bool checkDateAndTimes(std::array<QString, 4>& times);
    bool checkRequiredFields();
    bool prepareInsert(const std::array<QString, 4>& times);

    std::vector<QWidget*> m_tabOrder;
    QWidget* m_clickedInto = nullptr; // a picker field the mouse just gave the focus to
    bool m_picking = false;
};

extern TFishDataIn* FishDataIn;
