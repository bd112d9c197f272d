#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <vector>

class TFishdataF;

namespace kelpora {
class ImageArea;
}

namespace kelpora::bench {

// When the browser's screen shows what a step asked for, as the user would see it: the
// fields once the record number field has been painted, the pictures once every picture
// area has been painted holding its pixels (or nothing, when it has no picture).
class PaintClock : public QObject {
public:
    explicit PaintClock(TFishdataF& window);

    void start(); // a step begins now
    double elapsedMs() const;
    double fieldsMs() const; // negative until the fields are painted
    double picturesMs() const; // negative until every picture area is
    bool allPainted() const;

    // Lets the event loop run until the fields and the pictures are painted and nothing
    // is left to draw; false if that takes longer than `timeoutMs`.
    bool waitForPictures(int timeoutMs = 60000);
    bool waitForFields(int timeoutMs = 60000);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TFishdataF& m_window;
    std::vector<kelpora::ImageArea*> m_areas;
    std::vector<double> m_areaPainted;
    double m_fields = -1;
    QElapsedTimer m_clock;
};

} // namespace kelpora::bench
