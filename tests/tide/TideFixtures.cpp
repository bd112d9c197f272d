#include "TideFixtures.h"

#include "core/DM_1.h"
#include "core/SqlQuery.h"
#include "pictures/JpegCodec.h"
#include "support/RecordWriter.h"

#include <QBuffer>
#include <QPainter>
#include <QRect>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <numbers>

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

void PrintTo(const QSize& size, std::ostream* os)
{
    *os << size.width() << " x " << size.height();
}

void PrintTo(const QRect& rect, std::ostream* os)
{
    *os << "(" << rect.x() << ", " << rect.y() << ", " << rect.width() << " x " << rect.height() << ")";
}

void PrintTo(const QPoint& point, std::ostream* os)
{
    *os << "(" << point.x() << ", " << point.y() << ")";
}

namespace kelpora::testing {

QImage tideChart(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(250, 250, 240 - seed % 40));
    QPainter p(&image);
    p.setPen(QPen(QColor(200, 200, 200), 1));
    for (int x = 0; x < width; x += width / 24 + 1)
        p.drawLine(x, 0, x, height);
    p.setPen(QPen(QColor(0, 90, 160), 2));
    QPointF last(0, height / 2.0);
    for (int x = 1; x < width; ++x) {
        const double phase = 2 * std::numbers::pi * (x + seed * 7) / (width / 1.9);
        const QPointF next(x, height / 2.0 + height / 3.0 * std::sin(phase));
        p.drawLine(last, next);
        last = next;
    }
    return image;
}

QByteArray bmpFile(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QByteArray jpegFile(const QImage& image)
{
    return JpegCodec::encode(image.convertToFormat(QImage::Format_RGB888));
}

void insertChartRecord(TDM1& dm, int code, const QByteArray& chart, const Marks& marks)
{
    insertMinimal(dm, code);
    SqlQuery q(dm.IBDB2, dm.IBTr2);
    QString sets = QStringLiteral("SHIO_ZU = :parSHIO_ZU");
    for (int n = 1; n <= 6; ++n)
        sets += QStringLiteral(", NEW_%1_S = %2, NEW_%1_E = %3")
                    .arg(n)
                    .arg(marks[size_t(2 * n - 2)])
                    .arg(marks[size_t(2 * n - 1)]);
    q.addSql(QStringLiteral("update FISH_DATA set %1 where CODENO = %2").arg(sets).arg(code));
    if (chart.isEmpty())
        q.bindNull(QStringLiteral("parSHIO_ZU"));
    else
        q.bindBlob(QStringLiteral("parSHIO_ZU"), chart);
    q.execute();
    dm.IBTr2.commitRetaining();
}

StoredChart readStored(const QString& databasePath, int code)
{
    IBDatabase db(TDM1::connectionParams());
    db.setDatabaseName(databasePath);
    IBTransaction tr(db);
    db.setDefaultTransaction(&tr);
    SqlQuery q(db, tr);
    q.addSql(QStringLiteral("select * from FISH_DATA where CODENO = %1").arg(code));
    q.open();
    StoredChart stored;
    if (q.isEmpty())
        return stored;
    stored.found = true;
    stored.chart = q.fieldBlob(QStringLiteral("SHIO_ZU"));
    for (int n = 1; n <= 6; ++n) {
        stored.marks[size_t(2 * n - 2)] = q.fieldInteger(QStringLiteral("NEW_%1_S").arg(n));
        stored.marks[size_t(2 * n - 1)] = q.fieldInteger(QStringLiteral("NEW_%1_E").arg(n));
    }
    for (int n = 1; n <= 3; ++n) {
        stored.reserved[size_t(2 * n - 2)] = q.fieldInteger(QStringLiteral("TIME%1_START").arg(n));
        stored.reserved[size_t(2 * n - 1)] = q.fieldInteger(QStringLiteral("TIME%1_END").arg(n));
    }
    return stored;
}

void runStatement(const QString& databasePath, const QString& sql)
{
    IBDatabase db(TDM1::connectionParams());
    db.setDatabaseName(databasePath);
    IBTransaction tr(db);
    db.setDefaultTransaction(&tr);
    SqlQuery q(db, tr);
    q.addSql(sql);
    q.execute();
    tr.commitRetaining();
}

void pressAt(QWidget* window, Qt::MouseButton button, QPoint pos, Qt::KeyboardModifiers modifiers)
{
    QTest::mousePress(window->windowHandle(), button, modifiers, pos);
}

void moveTo(QWidget* window, QPoint pos, Qt::KeyboardModifiers modifiers)
{
    QTest::mouseEvent(QTest::MouseMove, window->windowHandle(), Qt::NoButton, modifiers, pos);
}

void releaseAt(QWidget* window, Qt::MouseButton button, QPoint pos, Qt::KeyboardModifiers modifiers)
{
    QTest::mouseRelease(window->windowHandle(), button, modifiers, pos);
}

} // namespace kelpora::testing
