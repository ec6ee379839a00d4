#include "masters/gui/FrmCust_selsub.h"

#include "ui/gui/MduMainUi.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

FrmCust_selsub::FrmCust_selsub(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmCust_selsub"));
    setWindowTitle(QStringLiteral("걸려온 전화번호 선택"));
    m_lblAddr = new QLabel(this);
    m_lblAddr->setObjectName(QStringLiteral("lblAddr"));
    m_lblAddr->setWordWrap(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->installEventFilter(this);
    m_btnSel = new QPushButton(QStringLiteral("선택 &S"), this);
    m_btnSel->setObjectName(QStringLiteral("btnSel"));
    m_btnClose = new QPushButton(QStringLiteral("닫기 &C"), this);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    for (QPushButton* b : {m_btnSel, m_btnClose})
        b->setAutoDefault(false);
    connect(m_btnSel, &QPushButton::clicked, this, &FrmCust_selsub::ChooseSelected);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &FrmCust_selsub::ChooseSelected);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_btnSel);
    buttons->addWidget(m_btnClose);
    auto* main = new QVBoxLayout(this);
    main->addWidget(m_lblAddr);
    main->addWidget(m_list, 1);
    main->addLayout(buttons);
    resize(300, 240);
    CenterForm(this);
}

void FrmCust_selsub::SetNumbers(const QStringList& numbers, const QString& address)
{
    m_lblAddr->setText(address);
    m_list->clear();
    m_list->addItems(numbers);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
}

void FrmCust_selsub::ChooseSelected()
{
    const QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    m_telno = item->text();
    accept();
}

bool FrmCust_selsub::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ChooseSelected();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
