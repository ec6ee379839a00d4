#include "admin/gui/frmAuthority.h"

#include "admin/PermissionTable.h"
#include "ui/MsgBox.h"
#include "ui/gui/MduMainUi.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmAuthority::frmAuthority(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAuthority"));
    setWindowTitle(QStringLiteral("사용 권한 설정"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* hint = new QLabel(QStringLiteral("- 관리자만 사용할 프로그램에 체크를 해 주세요."), this);
    auto* keys = new QLabel(QStringLiteral("선택: 스페이스바, 클릭"), this);

    m_lstAuthority = new QListWidget(this);
    m_lstAuthority->setObjectName(QStringLiteral("lstAuthority"));
    m_lstAuthority->setMinimumSize(280, 260);

    m_chkAll = new QCheckBox(QStringLiteral("전체"), this);
    m_chkAll->setObjectName(QStringLiteral("chkAll"));
    m_cmdOK = new QPushButton(QStringLiteral("확인(&O)"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdCancel = new QPushButton(QStringLiteral("취소(&C)"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* top = new QHBoxLayout;
    top->addWidget(hint, 1);
    top->addWidget(m_chkAll);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(keys, 1);
    bottom->addWidget(m_cmdOK);
    bottom->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_lstAuthority, 1);
    layout->addLayout(bottom);

    setTabOrder(m_lstAuthority, m_chkAll);
    setTabOrder(m_chkAll, m_cmdOK);
    setTabOrder(m_cmdOK, m_cmdCancel);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmAuthority::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_chkAll, &QCheckBox::clicked, this, &frmAuthority::chkAll_Click);
    connect(m_lstAuthority, &QListWidget::itemPressed, this, [this] { m_toggledByClick = false; });
    connect(m_lstAuthority, &QListWidget::itemChanged, this, [this] { m_toggledByClick = true; });
    connect(m_lstAuthority, &QListWidget::itemClicked, this, &frmAuthority::itemClicked);

    fillList();
    m_lstAuthority->setCurrentRow(0);
    m_lstAuthority->setFocus();
}

void frmAuthority::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        CenterForm(this);
    }
}

void frmAuthority::fillList()
{
    const auto entries = PermissionTable::Read();
    if (!entries)
        return;
    for (const PermissionTable::Entry& e : *entries) {
        auto* item = new QListWidgetItem(e.description, m_lstAuthority);
        item->setData(Qt::UserRole, e.formName);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(e.adminOnly ? Qt::Checked : Qt::Unchecked);
    }
}

void frmAuthority::itemClicked(QListWidgetItem* item)
{
    // A click on the description ticks as a click on the box does.
    if (!m_toggledByClick)
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void frmAuthority::chkAll_Click()
{
    const Qt::CheckState state = m_chkAll->isChecked() ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < m_lstAuthority->count(); ++i)
        m_lstAuthority->item(i)->setCheckState(state);
}

void frmAuthority::cmdOK_Click()
{
    QList<PermissionTable::Entry> entries;
    for (int i = 0; i < m_lstAuthority->count(); ++i) {
        const QListWidgetItem* item = m_lstAuthority->item(i);
        entries.append(
            {item->data(Qt::UserRole).toString(), item->text(), item->checkState() == Qt::Checked});
    }
    ErrInfo error;
    if (!PermissionTable::Write(entries, &error)) {
        ShowErrorInfo(QStringLiteral("프로그램 수행도중 오류가 발생했습니다."), error);
        return;
    }
    accept();
}
