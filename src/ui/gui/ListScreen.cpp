#include "ui/gui/ListScreen.h"
#include "ui/gui/ChangedRows.h"

#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QVBoxLayout>

ListScreen::ListScreen(QWidget* parent) : FrameScreen(parent)
{
    m_pnlTop = new QFrame(this);
    m_pnlTop->setObjectName(QStringLiteral("pnlTop"));
    m_pnlTop->setFrameShape(QFrame::StyledPanel);
    auto* search = new QHBoxLayout(m_pnlTop);
    m_htName = new QLineEdit(m_pnlTop);
    m_htName->setObjectName(QStringLiteral("htName"));
    m_htName->setToolTip(QStringLiteral("검색어(F3)"));
    m_htName->installEventFilter(this);
    auto* caption = new QLabel(QStringLiteral("검색(F3):"), m_pnlTop);
    caption->setBuddy(m_htName);
    m_cmbFindKey = new QComboBox(m_pnlTop);
    m_cmbFindKey->setObjectName(QStringLiteral("cmbFindKey"));
    m_cmbFindKey->setToolTip(QStringLiteral("검색구분(Shift+F3)"));
    m_cmbFindOP = new QComboBox(m_pnlTop);
    m_cmbFindOP->setObjectName(QStringLiteral("cmbFindOP"));
    m_cmbFindOP->setToolTip(QStringLiteral("검색연산(Ctrl+F3)"));
    m_btnQuery = MakeButton(m_pnlTop, QStringLiteral("조회 F5"), QStringLiteral("btnQuery"));
    search->addWidget(caption);
    search->addWidget(m_htName, 1);
    search->addWidget(m_cmbFindKey);
    search->addWidget(m_cmbFindOP);
    search->addWidget(m_btnQuery);

    m_spList = new SpreadGrid(this);
    m_spList->setObjectName(QStringLiteral("spList"));
    connect(m_spList, &SpreadGrid::KeyDown, this, [this](int& key, int shift) {
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && shift == 0) {
            key = 0;
            EditRecord();
        }
    });
    connect(m_spList, &SpreadGrid::DblClick, this, [this](int, int row) {
        if (row > 0)
            RowDoubleClicked(row);
    });

    m_btnRecAdd = MakeButton(this, QStringLiteral("추가 F2"), QStringLiteral("btnRecAdd"));
    m_btnRecEdit = MakeButton(this, QStringLiteral("수정 &E"), QStringLiteral("btnRecEdit"));
    m_btnRecDel = MakeButton(this, QStringLiteral("삭제 F4"), QStringLiteral("btnRecDel"));
    m_btnClose = MakeCloseButton();
    m_lblRecCount = new QLabel(QStringLiteral("0"), this);
    m_lblRecCount->setObjectName(QStringLiteral("lblRecCount"));
    m_buttonRow = new QHBoxLayout;
    m_buttonRow->addWidget(new QLabel(QStringLiteral("전체 자료수:"), this));
    m_buttonRow->addWidget(m_lblRecCount);
    m_buttonRow->addStretch(1);
    for (QPushButton* b : {m_btnRecAdd, m_btnRecEdit, m_btnRecDel, m_btnClose})
        m_buttonRow->addWidget(b);

    connect(m_btnQuery, &QPushButton::clicked, this, [this] { Search(); });
    connect(m_btnRecAdd, &QPushButton::clicked, this, [this] { AddRecord(); });
    connect(m_btnRecEdit, &QPushButton::clicked, this, [this] { EditRecord(); });
    connect(m_btnRecDel, &QPushButton::clicked, this, [this] { DeleteRecord(); });

    QVBoxLayout* layout = frameLayout();
    layout->addWidget(m_pnlTop);
    layout->addWidget(m_spList, 1);
    layout->addLayout(m_buttonRow);

    // The window takes these keys before any of its controls.
    AddKey(QKeySequence(Qt::Key_F2), [this] { AddRecord(); });
    AddKey(QKeySequence(Qt::Key_F3), [this] { m_htName->setFocus(); });
    AddKey(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { m_cmbFindKey->setFocus(); });
    AddKey(QKeySequence(Qt::CTRL | Qt::Key_F3), [this] { m_cmbFindOP->setFocus(); });
    AddKey(QKeySequence(Qt::Key_F4), [this] { DeleteRecord(); });
    AddKey(QKeySequence(Qt::Key_F5), [this] { Search(); });
}

ListScreen::~ListScreen() = default;

void ListScreen::AddFindKey(const QString& text, const QString& columns)
{
    m_cmbFindKey->addItem(text, columns);
    if (m_cmbFindKey->count() == 1)
        m_cmbFindKey->setCurrentIndex(0);
}

bool ListScreen::AcceptSearchText()
{
    if (m_refreshing)
        return true;
    const QString text = m_htName->text();
    if (!CheckSearchText(text))
        return false;
    if (m_cmbFindKey->currentText() == QStringLiteral("전화번호") && !CheckPhoneText(text)) {
        m_htName->setText(IsPhoneText(m_acceptedSearch) ? m_acceptedSearch : QString());
        m_htName->setFocus();
        return false;
    }
    m_acceptedSearch = text;
    m_searched = {m_cmbFindKey->currentData().toString(), m_cmbFindOP->currentText(), text};
    return true;
}

ListScreen::SearchRow ListScreen::SearchedRow() const
{
    if (m_refreshing)
        return m_searched;
    return {m_cmbFindKey->currentData().toString(), m_cmbFindOP->currentText(), m_htName->text()};
}

QString ListScreen::SearchWhere() const
{
    const SearchRow row = SearchedRow();
    if (row.text.isEmpty())
        return QString();
    return QStringLiteral(" WHERE ") + MakeSearchWhere(row.columns, row.mode, row.text);
}

void ListScreen::FollowOthers(const QStringList& tables, int keyCol)
{
    m_keyCol = keyCol;
    FollowOthers(tables, [this](const QList<ChangeFeed::Change>&) { RefreshForOthers(); });
}

bool ListScreen::OthersMustWait() const
{
    return m_spList->EditTyped();
}

void ListScreen::RefreshForOthers()
{
    const KeptPlace kept = KeepPlace(m_spList, m_keyCol);
    m_refreshing = true;
    Search();
    m_refreshing = false;
    RestorePlace(m_spList, m_keyCol, kept);
}

void ListScreen::SetRecCount(qint64 count)
{
    m_lblRecCount->setText(QString::number(count));
}

int ListScreen::RowForSave(EditorMode mode, bool* appended)
{
    int row = m_spList->ActiveRow();
    const bool append = mode == EditorMode::Add || row < 1 || m_spList->MaxRows() < 1;
    if (append) {
        row = m_spList->MaxRows() + 1;
        m_spList->SetMaxRows(row);
    }
    if (appended)
        *appended = append;
    return row;
}

void ListScreen::RunOpening(const std::function<void()>& steps)
{
    m_opening = true;
    try {
        steps();
    } catch (const DbException& e) {
        ShowStdError(e.info(), QStringLiteral("Form_Load"), objectName(), ErrOwner::Form);
    }
    m_opening = false;
}

int ListScreen::OpenListQuery(Recordset& rs, const QString& sql) const
{
    return OpenListQuery(rs, ReadQuery{sql, {}});
}

int ListScreen::OpenListQuery(Recordset& rs, const ReadQuery& read) const
{
    if (!m_opening)
        return OpenQuery(rs, read);
    rs.close();
    QSqlQuery q;
    ErrInfo error;
    if (!gMainConn.query(read.sql, read.values, q, &error))
        throw DbException(error);
    rs.load(q);
    return rs.RecordCount();
}

void ListScreen::FinishLayout()
{
    FrameScreen::FinishLayout({m_spList});
}

bool ListScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_htName && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Search() > 0)
                m_spList->setFocus();
            return true;
        }
    }
    return FrameScreen::eventFilter(watched, event);
}
