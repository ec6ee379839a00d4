#pragma once

#include "db/DbConnection.h"
#include "db/Recordset.h"
#include "masters/gui/PickerDialog.h"

class QLabel;

// Looks up postal codes and base addresses in the read-only postal-code file and hands one back.
class frmZipcode : public PickerDialog
{
    Q_OBJECT
public:
    explicit frmZipcode(QWidget* parent = nullptr);
    ~frmZipcode() override;

    // False when the postal-code file is missing or could not be opened (the warning was shown).
    bool isReady() const { return m_conn.isOpen(); }

    // 2 = show the window (empty text or several rows), 1 = the single row was chosen, 0 = nothing found.
    int InitForm(const QString& searchText);
    QString Post() const { return m_post; }
    QString Addr() const { return m_addr; }
    // Runs the search for the current text of txtInput; the number of rows found, -1 when the text was
    // refused.
    int RefreshSheet();
    int Refresh_Sheet() override { return RefreshSheet(); }

    // The search statement for a text (exposed for the tests of its rules).
    static QString SearchSql(const QString& text);

protected:
    // Enter in txtInput and F5: an empty text asks before the whole table is listed.
    void SearchFromInput() override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void openDatabase();
    // Chooses a grid row; fromButton shows the selection message when the row has no postal code.
    bool chooseRow(int row, bool fromButton);
    void selectClicked();

    DbConnection m_conn;
    Recordset m_rs;
    QString m_post;
    QString m_addr;
    QLabel* m_pnlHelp = nullptr;
};

// The postal search as the editors run it: nothing found shows "해당하는 주소가 검색되지 않습니다.", a single
// row is taken at once, several show the window. True with post and addr set when an address was taken;
// *nothingFound tells the opener to empty its postal-code field (the search found no row).
bool RunZipSearch(QWidget* parent, const QString& text, QString& post, QString& addr,
                  bool* nothingFound = nullptr);
