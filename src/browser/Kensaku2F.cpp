#include "Kensaku2F.h"

TKensaku_2_F* Kensaku_2_F = nullptr;

TKensaku_2_F::TKensaku_2_F(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Kensaku_2_F"));
    setWindowTitle(QStringLiteral("検索"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(350, 150);
}
