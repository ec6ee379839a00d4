#pragma once

#include <QDialog>

class QCheckBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The list of guarded screens on which the administrator ticks those only the administrator may open.
class frmAuthority : public QDialog
{
    Q_OBJECT

public:
    explicit frmAuthority(QWidget* parent = nullptr);

    // One entry per row of 보안설정: the description shown, the screen's name as the item's data.

public Q_SLOTS:
    void cmdOK_Click();
    void chkAll_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QListWidget* m_lstAuthority = nullptr;
    QCheckBox* m_chkAll = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    void fillList();
    void itemClicked(QListWidgetItem* item);

    bool m_centred = false;
    // Set when a click already toggled the check box it landed on, so the click on the row does not undo it.
    bool m_toggledByClick = false;
};
