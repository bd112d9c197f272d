#pragma once

#include "kit/KelporaWindow.h"

#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kelpora {
class SqlQuery;
}

// The value picker: the places, points or species stored before, so one can be chosen
// again, or a new one typed. It reads Sel_Kind and answers in Sel_Value.
class TData_Sel : public kelpora::KelporaWindow {
    Q_OBJECT
public:
    explicit TData_Sel(QWidget* owner);
    ~TData_Sel() override;

    // The caption and the list statement for a Sel_Kind; empty for an unknown kind.
    static QString captionFor(const QString& kind);
    static QStringList queryLines(const QString& kind);

    QListWidget* ListBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit_NEW = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button1 = nullptr;
    kelpora::SqlQuery* IBSQL = nullptr;

    void ListBox1DblClick();
    void Button2Click();
    void Button1Click();

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeSelected();
    void finish(const QString& value);
};

extern TData_Sel* Data_Sel;
