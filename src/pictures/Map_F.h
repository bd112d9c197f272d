#pragma once

#include "kit/KelporaWindow.h"

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;

namespace kelpora {
class ImageArea;
}

// The browser's map at its own size, scrolled over when it is larger than the window.
class TMapF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TMapF(QWidget* owner);
    ~TMapF() override;

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    kelpora::ImageArea* Image_MM = nullptr;

    // Event handlers.
    void Button1Click();
    void Image_MMClick();
    void ScrollBox1Click();

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOut();

    QWidget* m_content = nullptr; // what the scroll area scrolls: the map and its margin
};

extern TMapF* MapF;
