#include "masters/gui/CustomerPanel.h"

#include "masters/CustomerRecord.h"
#include "masters/gui/LoadRecord.h"

#include <QLabel>
#include <QLineEdit>

#include <optional>

CustomerPanel::CustomerPanel(QWidget* parent) : InfoPanel(Style::Column, parent)
{
    setObjectName(QStringLiteral("pnlCust"));
    addTitle(QStringLiteral("고객  정보"));
    txtCustID = new QLineEdit(this);
    txtCustID->setObjectName(QStringLiteral("txtCustID"));
    txtCustID->setVisible(false);
    addPhones(QStringLiteral("전화번호"), QStringLiteral("pnlCustTel"), pnlCustTel, 4);
    pnlCustPost = addRow(QStringLiteral("우편번호"), QStringLiteral("pnlCustPost"));
    pnlCustAddr = addRow(QStringLiteral("주      소"), QStringLiteral("pnlCustAddr"));
    pnlCustAddr->setWordWrap(true);
    pnlCustAddr->setMinimumHeight(36);
    pnlCustMemo = addRow(QStringLiteral("메      모"), QStringLiteral("pnlCustMemo"));
    pnlCustPoint = addRow(QStringLiteral("적립포인트"), QStringLiteral("pnlCustPoint"), true);
    Clear();
}

QString CustomerPanel::Code() const
{
    return txtCustID->text();
}

void CustomerPanel::Clear()
{
    txtCustID->clear();
    for (QLabel* l : pnlCustTel)
        l->clear();
    pnlCustPost->clear();
    pnlCustAddr->clear();
    pnlCustMemo->clear();
    pnlCustPoint->setText(QStringLiteral("0 "));
}

void CustomerPanel::Show(const QString& code)
{
    if (code.isEmpty() || code == Code())
        return;
    Clear();
    const std::optional<CustomerRecord> c = LoadRecord<CustomerRecord>(code);
    if (!c)
        return;
    txtCustID->setText(c->code);
    for (size_t i = 0; i < 4; ++i)
        pnlCustTel[i]->setText(c->tel.at(i));
    pnlCustPost->setText(c->post);
    pnlCustAddr->setText(c->address());
    pnlCustMemo->setText(c->memo);
    pnlCustPoint->setText(AmountText(double(c->curPoints)));
}

void CustomerPanel::RefreshPoints()
{
    const QString code = Code();
    if (code.isEmpty())
        return;
    pnlCustPoint->setText(QStringLiteral("0 "));
    if (const std::optional<qint64> points = CustomerRecord::CurrentPoints(code))
        pnlCustPoint->setText(AmountText(double(*points)));
}

void CustomerPanel::FollowChange(const ChangeFeed::Change& change)
{
    const QString code = Code();
    if (change.table != QStringLiteral("고객") || code.isEmpty() || change.key != code)
        return;
    Clear();
    Show(code);
}
