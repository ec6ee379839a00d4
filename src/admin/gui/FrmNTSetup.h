#pragma once

#include "ui/gui/ScreenCatalogue.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The seat's network setup: server or client, the server's shared folder and where it is mounted (or the
// address of a database server), and the seat's terminal number; written to the seat's settings for the
// next start.
class FrmNTSetup : public QDialog
{
    Q_OBJECT
public:
    enum Input
    {
        InServerPath = 0,
        InDrive = 1,
        InTerminal = 2,
    };

    explicit FrmNTSetup(QWidget* parent = nullptr);

    // The catalogue entry behind menu entry mnuFile_NetWork.
    static ScreenEntry Entry();
    // After a start that could not open the main database: offers the screen at once, without the
    // permission gate; true when the operator saved new settings.
    static bool OfferAfterFailedStart();

    // Chooses the server folder (btnPath).
    void ChooseServerPath();
    // Mounts or finds the server folder (cmdAutoNTDrv).
    void ConnectDrive();
    // btnSave and F2; true when the settings were written (for a server's address, only once a connection
    // to it succeeded).
    bool Save();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void seatTypeChanged();
    // Whether the server path is a database server's address rather than a shared folder.
    bool serverAddressGiven() const;
    // Connects to the address once; tells the operator why when it cannot.
    bool serverReachable();

    QRadioButton* m_server = nullptr;
    QRadioButton* m_client = nullptr;
    QGroupBox* m_frame = nullptr;
    QLineEdit* m_inputs[3] = {};
    QPushButton* m_btnPath = nullptr;
    QPushButton* m_cmdAutoNTDrv = nullptr;
    QLabel* m_lblCPath = nullptr;
};
