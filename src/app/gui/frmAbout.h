#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The program's about box: title, version and a pointer to the system-information program.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

    static QString versionText();
    // The desktop's system-information program, or "" when none is installed.
    static QString systemInfoProgram();

public Q_SLOTS:
    void cmdSysInfo_Click();
};
