#pragma once

#include "db/ChangeFeed.h"
#include "masters/gui/InfoPanel.h"

#include <QString>

class QLabel;
class QLineEdit;

// The customer of the order on show (고객 정보): telephones, address, memo and points, read through the
// customer record.
class CustomerPanel : public InfoPanel
{
    Q_OBJECT
public:
    explicit CustomerPanel(QWidget* parent = nullptr);

    // The code on show (the block's hidden key); "" when cleared.
    QString Code() const;
    // Shows the customer of that code; nothing when the code is empty or already on show. A customer that
    // is not there leaves the panel cleared.
    void Show(const QString& code);
    // Empty texts, points "0 ".
    void Clear();
    // The points as stored now (other seats post points too).
    void RefreshPoints();
    // Another seat's change: the customer on show is read again when the change is of them.
    void FollowChange(const ChangeFeed::Change& change);

private:
    QLineEdit* txtCustID = nullptr;
    QLabel* pnlCustTel[4] = {};
    QLabel* pnlCustPost = nullptr;
    QLabel* pnlCustAddr = nullptr;
    QLabel* pnlCustMemo = nullptr;
    QLabel* pnlCustPoint = nullptr;
};
