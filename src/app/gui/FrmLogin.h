#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QLineEdit;

// Asks for the login password before the program opens, allowing three attempts.
class FrmLogin : public QDialog
{
    Q_OBJECT

public:
    explicit FrmLogin(QWidget* parent = nullptr);

    bool bSucc = false; // true once the right password was typed

    static constexpr int kMaxAttempts = 3;
    static QString wrongPasswordMessage();
    static QString quitQuestion();

public Q_SLOTS:
    // Enter in the password box.
    void txtPass_Return();
    // Escape or closing the window: asks whether to end the program.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_txtUser = nullptr;
    QLineEdit* m_txtPass = nullptr;
    QLabel* m_pnlMsg = nullptr;

    void activateOnce();
    void finish(bool success);
    void showAttemptsLeft();

    QPixmap m_background;
    QString m_password;
    bool m_activated = false;
    bool m_unreadable = false;
    int m_attempts = 0;
};
