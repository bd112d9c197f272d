#pragma once

#include "kit/KelporaWindow.h"

#include <QRect>

#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace kelpora {
class ImageArea;
class RecordPictures;
class SqlQuery;
} // namespace kelpora

// The four photos of the record the browser shows, large, two by two; one of them can be
// enlarged to nearly the whole window, and each slot opens the photo editor.
class TPhoto_BigF : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TPhoto_BigF(QWidget* owner);
    ~TPhoto_BigF() override;

    // Where each panel sits at its home size, photo 1 to 4; enlarged, every panel takes
    // kEnlarged.
    static const std::array<QRect, 4> kHome;
    static const QRect kEnlarged;

    QFrame* Panel_AA = nullptr;
    QFrame* Panel_BB = nullptr;
    QFrame* Panel_CC = nullptr;
    QFrame* Panel_DD = nullptr;
    kelpora::ImageArea* Image_AA = nullptr;
    kelpora::ImageArea* Image_BB = nullptr;
    kelpora::ImageArea* Image_CC = nullptr;
    kelpora::ImageArea* Image_DD = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label_Code = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Btn_No1 = nullptr;
    QPushButton* Btn_No2 = nullptr;
    QPushButton* Btn_No3 = nullptr;
    QPushButton* Btn_No4 = nullptr;
    kelpora::SqlQuery* IBSQL_Photo = nullptr;

    // The read statement, line by line.
    static QStringList readLines();

    // Reads the record's four photos afresh; panel geometry stays as it is.
    void LoadPhotos();
    // The photos are still being decoded, or their failures not yet told.
    bool picturesPending() const;

    // Event handlers.
    void Image_DblClick(int slot); // slot 0 to 3
    void Btn_NoClick(QPushButton* pressed);
    void Button1Click();

protected:
    void FormShow() override;

private:
    void buildPanels();
    void buildSide();
    void readPhotos();
    void photoFailed(kelpora::ImageArea* image);
    void placeHome();

    std::array<QFrame*, 4> m_panels{};
    std::array<kelpora::ImageArea*, 4> m_images{};
    kelpora::RecordPictures* m_photos = nullptr;
};

extern TPhoto_BigF* Photo_BigF;
