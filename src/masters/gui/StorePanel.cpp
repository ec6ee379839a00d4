#include "masters/gui/StorePanel.h"

#include "masters/StoreRecord.h"
#include "masters/gui/LoadRecord.h"

#include <QLabel>

#include <optional>

StorePanel::StorePanel(Style style, QWidget* parent) : InfoPanel(style, parent)
{
    setObjectName(QStringLiteral("pnlMemb"));
    if (style == Style::Column) {
        addTitle(QStringLiteral("가맹점  정보"));
        pnlMembCode = addRow(QStringLiteral("코      드"), QStringLiteral("pnlMembCode"));
        pnlMembName = addRow(QStringLiteral("상      호"), QStringLiteral("pnlMembName"));
        addPhones(QStringLiteral("전화번호"), QStringLiteral("pnlMembTel"), pnlMembTel, 4);
        pnlMembPost = addRow(QStringLiteral("우편번호"), QStringLiteral("pnlMembPost"));
        pnlMembAddr = addRow(QStringLiteral("주      소"), QStringLiteral("pnlMembAddr"));
        pnlMembAddr->setWordWrap(true);
        pnlMembAddr->setMinimumHeight(36);
        pnlMembMemo = addRow(QStringLiteral("메      모"), QStringLiteral("pnlMembMemo"));
        pnlMembFee = addRow(QStringLiteral("수수료율"), QStringLiteral("pnlMembFee"), true);
        pnlMembBaln = addRow(QStringLiteral("미 수 금"), QStringLiteral("pnlMembBaln"), true);
    } else {
        pnlMembCode = addRow(QStringLiteral("가맹점:"), QStringLiteral("pnlMembCode"));
        pnlMembName = addRow(QStringLiteral("상호:"), QStringLiteral("pnlMembName"));
        addPhones(QStringLiteral("전화번호:"), QStringLiteral("pnlMembTel"), pnlMembTel, 2);
        pnlMembFee = addRow(QStringLiteral("수수료율:"), QStringLiteral("pnlMembFee"), true);
        pnlMembBaln = addRow(QStringLiteral("미수금:"), QStringLiteral("pnlMembBaln"), true);
        pnlMembAddr = addRow(QStringLiteral("주소:"), QStringLiteral("pnlMembAddr"));
        pnlMembAddr->setWordWrap(true);
    }
    Clear();
}

QString StorePanel::Code() const
{
    return pnlMembCode->text();
}

void StorePanel::Clear()
{
    for (QLabel* l : {pnlMembCode, pnlMembName, pnlMembTel[0], pnlMembTel[1], pnlMembTel[2], pnlMembTel[3],
                      pnlMembPost, pnlMembAddr, pnlMembMemo}) {
        if (l)
            l->clear();
    }
    pnlMembFee->setText(QStringLiteral("0 "));
    pnlMembBaln->setText(QStringLiteral("0 "));
    Q_EMIT storeShown();
}

void StorePanel::Show(const QString& code)
{
    if (code.isEmpty() || code == Code())
        return;
    Clear();
    const std::optional<StoreRecord> s = LoadRecord<StoreRecord>(code);
    if (!s)
        return;
    pnlMembCode->setText(s->code);
    pnlMembName->setText(s->name);
    for (size_t i = 0; i < 4; ++i) {
        if (pnlMembTel[i])
            pnlMembTel[i]->setText(s->tel.at(i));
    }
    if (pnlMembPost)
        pnlMembPost->setText(s->post);
    pnlMembAddr->setText(s->address());
    if (pnlMembMemo)
        pnlMembMemo->setText(s->memo);
    pnlMembFee->setText(s->rateText + QLatin1Char(' '));
    pnlMembBaln->setText(AmountText(s->balance));
    Q_EMIT storeShown();
}

void StorePanel::RefreshBalance()
{
    const QString code = Code();
    if (code.isEmpty())
        return;
    pnlMembBaln->setText(QStringLiteral("0 "));
    if (const std::optional<double> balance = StoreRecord::CurrentBalance(code))
        pnlMembBaln->setText(AmountText(*balance));
}

void StorePanel::FollowChange(const ChangeFeed::Change& change)
{
    const QString code = Code();
    if (change.table != QStringLiteral("가맹점") || code.isEmpty() ||
        change.key.compare(code, Qt::CaseInsensitive) != 0)
        return;
    Clear();
    Show(code);
}

QString StorePanel::DialNumber() const
{
    const QString first = pnlMembTel[0]->text().trimmed();
    return first.isEmpty() ? pnlMembTel[1]->text().trimmed() : first;
}
