#pragma once

#include <QDialog>
#include <QList>

class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class SpreadGrid;

// The options screen: company details, point rules, grid look, caller-ID ports and area code, and the
// login and administrator passwords.
class frmOptions : public QDialog
{
    Q_OBJECT

public:
    explicit frmOptions(QWidget* parent = nullptr);

    // What a password box shows while the stored password stays as it is; it never leaves the screen.
    static const QString kUnchanged;

    // Something on the tab was changed since the last apply (the frame's tag "Y").
    bool TabChanged(int tab) const;

public Q_SLOTS:
    // True when everything changed was saved.
    bool cmdApply_Click();
    void cmdOK_Click();
    void btnZipcode_Click();
    void cmdAuthority_Click();
    // Opens the ports as typed (saved or not) and tells whether a caller-ID device answered on each.
    void cmdSeeIDTest_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QTabWidget* m_tbsOptions = nullptr;
    QList<QFrame*> m_fraTabRound;
    QList<QLineEdit*> m_txtinput; // company details, in the order of CompanyInfo::Columns
    QPushButton* m_btnZipcode = nullptr;
    QLineEdit* m_htPt = nullptr;
    QLineEdit* m_htsvce = nullptr;
    QGroupBox* m_fraGrid = nullptr;
    QList<QLineEdit*> m_htGrid; // row height, font size
    SpreadGrid* m_spPreview = nullptr;
    QList<QLineEdit*> m_txtPWD; // login, again, administrator, again
    QPushButton* m_cmdAuthority = nullptr;
    QGroupBox* m_FraCIDPort = nullptr;
    QList<QLineEdit*> m_htPortNo;
    QPushButton* m_cmdSeeIDTest = nullptr;
    QLineEdit* m_htDDD = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdApply = nullptr;
    // What was changed since the last apply; each is saved by its own step.
    enum Mark
    {
        Company,
        Service,
        Points,
        Grid,
        Passwords,
        Ports,
        AreaCode,
        MarkCount
    };
    static int tabOf(Mark mark);

    QWidget* buildCompanyTab();
    QWidget* buildGeneralTab();
    QWidget* buildPasswordTab();
    QWidget* buildPortTab();
    void loadValues();
    void mark(Mark m);
    void clearMark(Mark m);
    void tabChanged(int index);
    void nextTab();
    void previewGrid();
    // Shows the message, brings the field's tab forward and puts the focus into it; returns false.
    bool refuse(QLineEdit* field, const QString& message);
    bool checkTypedValues();
    bool savePasswords();

    bool m_marks[MarkCount] = {};
    int m_previousTab = 0;
    bool m_passwordTabOpened = false;
    bool m_switchingBack = false;
    bool m_centred = false;
};
