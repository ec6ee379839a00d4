#pragma once

#include <QDateTime>
#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

// Modeless queue of incoming numbers not yet taken, oldest first; on screen while it holds any.
//
// Showing rule: every added number shows the window (restoring it when minimised) without taking the focus
// from the main screen; the window stays up while numbers wait and hides by itself when the last one is
// taken. The operator may still close (hide) it or delete entries; the next number brings it back. Its place
// and size live in its layout file like every other window's.
class FrmSeeIDStanbyList : public QWidget
{
    Q_OBJECT
public:
    // The place an earlier version kept per user, taken while the window has no layout file yet.
    static const QString kSettingX;
    static const QString kSettingY;

    explicit FrmSeeIDStanbyList(QWidget* parent = nullptr);
    ~FrmSeeIDStanbyList() override;

    // Queues a number stamped with the current date and time and brings the window up.
    void AddNumber(const QString& number);
    // Takes the oldest number (its text up to the first blank); "" when none waits.
    QString PopNumber();
    int Count() const;
    QStringList Items() const;
    // Writes the window's place and size to its layout file while it is on screen and not minimised.
    void SavePosition();
    QString HelpPath() const { return m_helpPath; }

    // One entry of the list: number + " [" + date and time + "]".
    static QString ItemText(const QString& number, const QDateTime& when);

Q_SIGNALS:
    // btnAllList asks for the caller-ID log.
    void allListRequested();

public Q_SLOTS:
    void btnDel_Click();
    void btnAllDel_Click();
    void cmdHelp_Click();
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void bringUp();
    // Hides the window, its place saved first.
    void hideKeepingPlace();

    QLabel* m_pnlTitle = nullptr;
    QListWidget* m_List1 = nullptr;
    QPushButton* m_btnDel = nullptr;
    QPushButton* m_btnAllDel = nullptr;
    QPushButton* m_btnAllList = nullptr;
    QPushButton* m_cmdHelp = nullptr;
    QPushButton* m_Command1 = nullptr;
    QString m_helpPath;
};
