#pragma once

#include "kit/KelporaWindow.h"

#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace kelpora {
class ImageArea;
class Shape;
class SqlQuery;
} // namespace kelpora

// The tide chart viewer: the browser's record's tide chart at its own size, with the
// fishing period, the feeding periods and the catch times drawn over it. Read only.
class TShio_NewF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TShio_NewF(QWidget* owner);
    ~TShio_NewF() override;

    static QString readSql();

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    kelpora::ImageArea* Image_SS = nullptr;
    kelpora::Shape* Shape1 = nullptr;
    kelpora::Shape* Shape2 = nullptr;
    kelpora::Shape* Shape3 = nullptr;
    kelpora::Shape* Shape4 = nullptr;
    kelpora::Shape* Shape5 = nullptr;
    kelpora::Shape* Shape6 = nullptr;
    kelpora::SqlQuery* IBSQL = nullptr;

    void Button1Click();

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildShapes();
    void showMarks();

    std::array<kelpora::Shape*, 6> m_shapes{};
};

extern TShio_NewF* Shio_NewF;
