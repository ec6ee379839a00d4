#pragma once

#include "db/ChangeFeed.h"
#include "masters/gui/InfoPanel.h"

#include <QString>

class QLabel;

// The store of the order on show (가맹점 정보): its code, name, telephones, address, commission rate and
// balance, read through the store record.
class StorePanel : public InfoPanel
{
    Q_OBJECT
public:
    // Column: every field under a title; Compact: code, name, two telephones, rate, balance, address.
    explicit StorePanel(Style style, QWidget* parent = nullptr);

    // The code on show; "" when cleared.
    QString Code() const;
    // Shows the store of that code; nothing when the code is empty or already on show. A store that is not
    // there leaves the panel cleared.
    void Show(const QString& code);
    // Empty texts, rate and balance "0 ".
    void Clear();
    // The balance as stored now (other seats post commissions too).
    void RefreshBalance();
    // Another seat's change: the store on show is read again when the change is of it.
    void FollowChange(const ChangeFeed::Change& change);
    // The number to dial: the first telephone, else the second; "" when neither is there.
    QString DialNumber() const;

Q_SIGNALS:
    // The store on show changed (shown, cleared or read again): a dial button follows DialNumber.
    void storeShown();

private:
    QLabel* pnlMembCode = nullptr;
    QLabel* pnlMembName = nullptr;
    QLabel* pnlMembTel[4] = {};
    QLabel* pnlMembPost = nullptr;
    QLabel* pnlMembAddr = nullptr;
    QLabel* pnlMembMemo = nullptr;
    QLabel* pnlMembFee = nullptr;
    QLabel* pnlMembBaln = nullptr;
};
