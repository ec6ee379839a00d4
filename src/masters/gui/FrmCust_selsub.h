#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

// The small list from which the operator picks the number the caller is using.
class FrmCust_selsub : public QDialog
{
    Q_OBJECT
public:
    explicit FrmCust_selsub(QWidget* parent = nullptr);

    // Fills the list (first entry selected) and the address line.
    void SetNumbers(const QStringList& numbers, const QString& address);
    // The chosen number; empty when the list was closed without a choice.
    QString Telno() const { return m_telno; }

    // Takes the selected entry and closes (btnSel, double-click, Enter).
    void ChooseSelected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget* m_list = nullptr;
    QLabel* m_lblAddr = nullptr;
    QPushButton* m_btnSel = nullptr;
    QPushButton* m_btnClose = nullptr;
    QString m_telno;
};
