#pragma once

#include "kit/KelporaWindow.h"

class QLabel;
class QPushButton;

namespace kelpora {
class ImageArea;
class SqlQuery;
} // namespace kelpora

// Sets, replaces or clears one photo (slot Photo_No) of the record the photo viewer
// shows, from a JPEG file or the clipboard.
class TPhotoF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TPhotoF(QWidget* owner);
    ~TPhotoF() override;

    // The statements for slot 1 to 4; the read statement carries the record number in
    // its text. Throws for any other slot.
    static QString readStatement(int slot, const QString& code);
    static QString writeStatement(int slot);

    kelpora::ImageArea* Image1 = nullptr;
    QLabel* Label_Photo = nullptr;
    QLabel* Label_CODE = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Btn_Ok = nullptr;
    QPushButton* Btn_C_BORD = nullptr;
    QPushButton* Btn_File = nullptr;
    QPushButton* Btn_Clear = nullptr;
    QPushButton* Btn_No = nullptr;
    kelpora::SqlQuery* IBSQL_Data = nullptr;

    // Event handlers.
    void Image1DblClick();
    void Btn_FileClick();
    void Btn_C_BORDClick();
    void Btn_ClearClick();
    void Btn_OkClick();
    void Btn_NoClick();

protected:
    void FormShow() override;

private:
    void buildControls();
    void readStoredPhoto();

    // The stored photo could not be read, so the empty area does not mean "no photo":
    // confirming must not erase it unless the user asked for that.
    bool m_storedUnreadable = false;
    bool m_erased = false;
};

extern TPhotoF* PhotoF;
