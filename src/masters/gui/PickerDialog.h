#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class SpreadGrid;

// Base of the customer, store and menu pickers: a search box above a result list, with their shared keys and
// closing.
class PickerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PickerDialog(QWidget* parent = nullptr);
    ~PickerDialog() override;

    // Searches for the text in txtinput; returns the number of rows.
    virtual int Refresh_Sheet() = 0;
    // Enter in the search box: the search, then into the list or a word that nothing matched.
    virtual void SearchFromInput();

protected:
    // The controls, for the pickers built on the base; others reach them by objectName.
    SpreadGrid* spList() const { return m_spList; }
    QLineEdit* txtinput() const { return m_txtinput; }
    QPushButton* btnSel() const { return m_btnSel; }
    QPushButton* btnClose() const { return m_btnClose; }

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void done(int r) override;

    SpreadGrid* m_spList = nullptr;
    QLineEdit* m_txtinput = nullptr;
    QPushButton* m_btnSel = nullptr;
    QPushButton* m_btnClose = nullptr;
    QString m_result;
    // Whether coming back to the window puts the focus into a list that has rows.
    bool m_focusListOnActivation = true;
};
