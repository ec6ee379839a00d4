#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// Start-up notice the operator can switch off for later runs.
class FrmInitMsg : public QDialog
{
    Q_OBJECT

public:
    explicit FrmInitMsg(QWidget* parent = nullptr);

    QLabel* Picture1 = nullptr;
    QCheckBox* ChkCheck = nullptr;
    QPushButton* Command1 = nullptr;

public Q_SLOTS:
    void ChkCheck_Click();
    void Command1_Click();
};
