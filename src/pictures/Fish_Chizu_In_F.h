#pragma once

#include "kit/KelporaWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelpora {
class ImageArea;
class SqlQuery;
} // namespace kelpora

// Takes a map (or a tackle drawing) from the clipboard: for the record the browser shows,
// written at once, or for the record being typed in the entry window, handed back to it.
class TFish_Chizu_InF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TFish_Chizu_InF(QWidget* owner);
    ~TFish_Chizu_InF() override;

    static constexpr int kWidth = 690;
    static constexpr int kHeight = 560;

    // The write statement, line by line.
    static QStringList updateLines();

    kelpora::ImageArea* Image_M = nullptr;
    QPushButton* Btn_Return = nullptr;
    QLineEdit* Edit_CODE = nullptr;
    QPushButton* Btn_In = nullptr;
    QLabel* Label_XY = nullptr;
    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Clear = nullptr;
    kelpora::SqlQuery* IBSQL_UP = nullptr;

    // Event handlers.
    void Btn_InClick();
    void Btn_ClearClick();
    void Btn_OKClick();
    void Btn_ReturnClick();

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void showBrowserMap();
    // Writes CHIZU of the record numbered in Edit_CODE; no bytes leave it NULL.
    void writeMapBytes(const QByteArray& jpeg);

    QWidget* m_side = nullptr; // the controls that keep their distance to the right edge
    // The stored map could not be read, so the empty area does not mean "no map":
    // confirming must not erase it unless the user asked for that.
    bool m_storedUnreadable = false;
    bool m_erased = false;
};

extern TFish_Chizu_InF* Fish_Chizu_InF;
