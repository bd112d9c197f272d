#pragma once

#include <QDialog>

// The value search picker. It lives for the whole run, created hidden at start-up;
// with no search kind set it runs no query.
class TKensaku_2_F : public QDialog {
    Q_OBJECT
public:
    explicit TKensaku_2_F(QWidget* parent = nullptr);
};

extern TKensaku_2_F* Kensaku_2_F;
