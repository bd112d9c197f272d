#include "TideFixtures.h"

#include "core/Connection.h"
#include "core/DM_1.h"
#include "core/SqlQuery.h"
#include "pictures/JpegCodec.h"
#include "support/RecordWriter.h"

#include <QBuffer>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace kelpora::testing {

QImage tideChart(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(250, 250, 235));
    QPainter p(&image);
    p.setPen(QPen(QColor(0, 90, 160), 2));
    p.drawEllipse(QRect(0, height / 6, width, height * 2 / 3));
    return image;
}

QByteArray jpegFile(const QImage& image)
{
    return JpegCodec::encode(image);
}

void insertChartRecord(TDM1& dm, int code, const QByteArray& chart, const Marks& marks)
{
    insertMinimal(dm, code);
    QString sets = QStringLiteral("SHIO_ZU = :parSHIO_ZU");
    for (size_t i = 0; i < marks.size(); ++i)
        sets += QStringLiteral(", NEW_%1_%2 = %3").arg(i / 2 + 1).arg(QChar(i % 2 ? u'E' : u'S')).arg(marks[i]);
    SqlQuery q(dm.IBDB2, dm.IBTr2);
    q.addSql(QStringLiteral("update FISH_DATA set %1 where CODENO = %2").arg(sets).arg(code));
    if (!chart.isEmpty())
        q.bindBlob(QStringLiteral("parSHIO_ZU"), chart);
    q.execute();
    dm.IBTr2.commitRetaining();
}

StoredChart readStored(const QString& databasePath, int code)
{
    Connection book(databasePath);
    SqlQuery q(book);
    q.addSql(QStringLiteral("select * from FISH_DATA where CODENO = %1").arg(code));
    q.open();
    StoredChart stored;
    stored.chart = q.fieldBlob(QStringLiteral("SHIO_ZU"));
    for (size_t i = 0; i < stored.marks.size(); ++i)
        stored.marks[i] = q.fieldInteger(QStringLiteral("NEW_%1_%2").arg(i / 2 + 1).arg(QChar(i % 2 ? u'E' : u'S')));
    return stored;
}

void runStatement(const QString& databasePath, const QString& sql)
{
    Connection(databasePath).execute(sql);
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
