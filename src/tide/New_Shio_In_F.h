#pragma once

#include "kit/KelporaWindow.h"
#include "tide/Shape.h"

#include <QRect>

#include <array>
#include <optional>
#include <utility>
#include <vector>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelpora {
class ImageArea;
class Picture;
class SqlQuery;
} // namespace kelpora

// The tide chart editor: a chart pasted from the clipboard, and on it the fishing period,
// the two feeding periods (bands) and up to three catch times (circles), placed with the
// mouse. Opened by the browser it rewrites the shown record's chart and marks; opened by
// the entry window it hands the chart and the marks back for the new record's insert.
class TNew_Shio_InF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TNew_Shio_InF(QWidget* owner);
    ~TNew_Shio_InF() override;

    static QString readSql();
    static QString updateSql();

    // --- picture and the right-hand column ---
    kelpora::ImageArea* Image_S = nullptr;
    QPushButton* Btn_Return = nullptr;
    QLineEdit* Edit_CODE = nullptr;
    QPushButton* Btn_In = nullptr;
    QLabel* Label_XY = nullptr;
    QPushButton* Btn_OK = nullptr;
    QPushButton* Btn_Clear = nullptr;
    QPushButton* Btn_Time = nullptr;

    // --- mark controls ---
    QFrame* Panel_Time = nullptr;
    QLabel* Label_A = nullptr;
    QLabel* Label_B = nullptr;
    QLabel* Label_AA = nullptr;
    QLabel* Label_BB = nullptr;
    QLabel* Label_AAA = nullptr;
    QPushButton* S_Btn_1 = nullptr;
    QPushButton* S_Btn_2 = nullptr;
    QPushButton* S_Btn_3 = nullptr;
    QPushButton* S_Btn_3__ = nullptr;
    QPushButton* S_Btn_2__ = nullptr;
    QPushButton* S_Btn_1__ = nullptr;
    QPushButton* Btn_S00 = nullptr;
    QPushButton* Btn_S01 = nullptr;
    QPushButton* Btn_S02 = nullptr;
    QPushButton* Btn_O_1 = nullptr;
    QPushButton* Btn_O_2 = nullptr;
    QPushButton* Btn_O_3 = nullptr;

    // --- the six marks: three bands, three circles ---
    kelpora::Shape* Shape_1 = nullptr;
    kelpora::Shape* Shape_2 = nullptr;
    kelpora::Shape* Shape_3 = nullptr;
    kelpora::Shape* Shape_4 = nullptr;
    kelpora::Shape* Shape_5 = nullptr;
    kelpora::Shape* Shape_6 = nullptr;

    // --- data ---
    kelpora::SqlQuery* IBSQL = nullptr;
    kelpora::SqlQuery* IBSQL_UP = nullptr;

    // --- editing state ---
    int Mark_No = 0; // the mark band drags act on: 0 none, 1..6
    bool Drag_Flg = false; // a mouse button went down on a mark and is still held
    int Down_X = 0; // where it went down, in the pressed mark's coordinates
    int Down_Y = 0;
    int Down_Width = 0; // the pressed band's width at that moment

    // "ON" enables the seventeen mark controls, anything else disables them.
    void SetMarkControls(const QString& onOff);

    // Event handlers.
    void Btn_ReturnClick();
    void Btn_InClick();
    void Btn_ClearClick();
    void Btn_TimeClick();
    void S_Btn_XX_Click(int markNo);
    void Btn_S00Click();
    void Btn_S01Click();
    void Btn_S02Click();
    void Btn_O_1Click();
    void Btn_O_2Click();
    void Btn_O_3Click();
    void Shape_XX_MouseDown(kelpora::Shape* sender, const kelpora::Shape::Mouse& mouse);
    void Shape_XX_MouseMove(kelpora::Shape* sender, const kelpora::Shape::Mouse& mouse);
    void Shape_XX_MouseUp(kelpora::Shape* sender, const kelpora::Shape::Mouse& mouse);
    void Shape_YY_MouseDown(kelpora::Shape* sender, const kelpora::Shape::Mouse& mouse);
    void Shape_YY_MouseMove(kelpora::Shape* sender, const kelpora::Shape::Mouse& mouse);
    void Shape_YY_MouseUp(kelpora::Shape* sender, const kelpora::Shape::Mouse& mouse);
    void Btn_OKClick();

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // What a mark was opened with, and where it was then shown: as long as it still
    // stands there, "登　録" writes these values back as they were read.
    struct Kept {
        QRect shownAt;
        int s = 0;
        int e = 0;
    };
    struct Mark {
        kelpora::Shape* shape = nullptr;
        QPushButton* select = nullptr;
        QPushButton* hide = nullptr;
        std::optional<Kept> kept;
    };

    void buildColumn();
    void buildMarkControls();
    void buildShapes();
    void connectHandlers();

    Mark& mark(int markNo);
    int markNumberOf(const kelpora::Shape* shape) const;
    void toggleMark(int markNo);
    void blackenFlatButtons();
    void bringToFront(kelpora::Shape* shape);
    void applySizing(bool height, bool width);
    int pictureHeight() const;
    bool openStoredRecord();
    void showStoredMarks();
    std::array<int, 12> markValues() const;
    void writeRecord(const kelpora::Picture& chart, const std::array<int, 12>& values);
    void handBack(const kelpora::Picture& chart, const std::array<int, 12>& values);
    void correctBand(kelpora::Shape& band) const;

    std::array<Mark, 6> m_marks;
    std::vector<std::pair<QWidget*, int>> m_column; // each control and its designed left
    Qt::MouseButton m_dragButton = Qt::NoButton; // the button that started the drag
    kelpora::Shape* m_pressed = nullptr; // the mark it started on
};

extern TNew_Shio_InF* New_Shio_InF;
