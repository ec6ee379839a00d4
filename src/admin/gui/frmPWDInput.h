#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the administrator password, allowing a limited number of attempts.
class frmPWDInput : public QDialog
{
    Q_OBJECT

public:
    explicit frmPWDInput(QWidget* parent = nullptr);

    qint16 ConfirmCount = 3; // attempts left
    QString CorrectPWD;      // the password to match, as stored (a hash, or an older database's text)
    bool Success = false;
    // What is typed in the password box.
    QString TypedPassword() const;

public Q_SLOTS:
    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_txtPWD = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QLabel* m_panel = nullptr;
    QLabel* m_note = nullptr;
};

// Creates the prompt for one question, runs it modally and tells whether the password was given.
bool RunAdminPasswordPrompt(const QString& correctPassword);
