#pragma once

#include "app/start/FirstStart.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The first start's question when the program folder does not exist: a demo installation, an empty one or
// a seat of a server database, made with a progress window.
class FrmFirstStart : public QDialog
{
    Q_OBJECT
public:
    explicit FrmFirstStart(QWidget* parent = nullptr);

    // Asks and creates; true when an installation was made and the start may go on, *made (when given)
    // then telling what was made.
    static bool Offer(QString* made = nullptr);

    // cmdStart and Enter: checks the choice, creates the installation; true when it was made.
    bool Start();
    FirstStart::Request Chosen() const;

    QRadioButton* optKind(FirstStart::Kind kind) const { return m_kinds[int(kind)]; }
    QLineEdit* txtServer() const { return m_server; }
    QLineEdit* txtTerminal() const { return m_terminal; }

private:
    void kindChanged();

    QRadioButton* m_kinds[3] = {};
    QLineEdit* m_server = nullptr;
    QLineEdit* m_terminal = nullptr;
    QLabel* m_serverHelp = nullptr;
};
