#include "masters/gui/frmZipcode.h"

#include "app/AppPaths.h"
#include "app/Globals.h"
#include "db/MduAdoDB.h"
#include "db/Schema.h"
#include "db/modDBQuery.h"
#include "masters/CustPhone.h"
#include "masters/gui/PickerWindow.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Hourglass for the time of a search.
struct WaitCursor
{
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

bool isDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}
} // namespace

frmZipcode::frmZipcode(QWidget* parent) : PickerDialog(parent)
{
    setObjectName(QStringLiteral("frmZipcode"));
    setWindowTitle(QStringLiteral("우편번호 검색"));
    resize(560, 400);

    auto* caption = new QLabel(QStringLiteral("검색단어"), this);
    m_txtinput = MakePickerInput(this, QStringLiteral("txtInput"));
    m_pnlHelp = new QLabel(QStringLiteral("읍/면/동으로 검색하세요. [전체검색 : 빈칸]"), this);
    m_pnlHelp->setObjectName(QStringLiteral("pnlHelp"));
    m_pnlHelp->setFrameShape(QFrame::StyledPanel);

    m_spList = new SpreadGrid(this);
    m_spList->setObjectName(QStringLiteral("spList"));
    m_spList->SetMaxCols(5);
    CommonSpreadDesign(m_spList, true, true, false, true);
    m_spList->SetColHeaders({QStringLiteral("우편번호"), QStringLiteral("시/도"), QStringLiteral("구/군"),
                             QStringLiteral("동/면"), QStringLiteral("번지")});
    const double widths[] = {9, 10, 10, 14, 14};
    for (int c = 1; c <= 5; ++c)
        m_spList->SetColWidth(c, widths[c - 1]);
    SetColFormat(m_spList, 1, ColFormat::ZipCode);
    connect(m_spList, &SpreadGrid::DblClick, this, [this](int, int row) {
        if (row > 0 && chooseRow(row, false))
            accept();
    });
    connect(m_spList, &SpreadGrid::KeyDown, this, [this](int& key, int) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            key = 0;
            if (m_spList->MaxRows() > 0 && chooseRow(m_spList->ActiveRow(), false))
                accept();
        }
    });

    m_btnSel = MakePickerButton(this, QStringLiteral("선택(&S)"), QStringLiteral("btnSel"));
    m_btnClose = MakePickerButton(this, QStringLiteral("닫기(&C)"), QStringLiteral("btnClose"));
    connect(m_btnSel, &QPushButton::clicked, this, &frmZipcode::selectClicked);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* search = new QHBoxLayout;
    search->addWidget(caption);
    search->addWidget(m_txtinput, 1);
    auto* top = new QVBoxLayout;
    top->addLayout(search);
    top->addWidget(m_pnlHelp);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_btnSel);
    buttons->addWidget(m_btnClose);
    FinishPickerLayout(this, top, m_spList, buttons);
    openDatabase();
}

frmZipcode::~frmZipcode()
{
    m_rs.close();
    m_conn.close();
}

void frmZipcode::openDatabase()
{
    const QString path = AppPaths::ProgramPath(Schema::kPostFile);
    if (!QFileInfo(path).isFile()) {
        ShowWarning(
            QStringLiteral("우편번호파일이 없어졌거나 옮겨졌습니다.\r\n\r\n우편번호파일을 확인하세요.") +
            kCrLf + path);
        return;
    }
    OpenConnection(m_conn, path, QString(), true);
}

QString frmZipcode::SearchSql(const QString& text)
{
    QString sql = QStringLiteral("SELECT ZIPCODE, SIDO, GUGUN, DONG, BUNJI FROM Post");
    if (!text.isEmpty()) {
        sql += QStringLiteral(" WHERE");
        if (isDigits(WithoutHyphens(text)))
            sql += QStringLiteral(" ZIPCODE = '") + SQLQuote(text) + QLatin1Char('\'');
        else
            sql += QStringLiteral(" DONG LIKE ") +
                   SQLLikePattern(text, gIsNT ? LikeMatch::StartsWith : LikeMatch::Contains);
    }
    return sql + QStringLiteral(" ORDER BY ZIPCODE;");
}

int frmZipcode::RefreshSheet()
{
    if (!CheckSearchText(m_txtinput->text()))
        return -1;
    WaitCursor wait;
    m_spList->SetMaxRows(0);
    if (!m_conn.isOpen())
        return 0;
    if (!OpenRecordset(m_conn, m_rs, SearchSql(m_txtinput->text())))
        return 0;
    QList<QVariantList> rows;
    rows.reserve(m_rs.RecordCount());
    for (const QVariantList& r : m_rs.rows()) {
        QVariantList texts;
        for (const QVariant& v : r)
            texts << NullToStr(v);
        rows << texts;
    }
    m_spList->SetMaxRows(int(rows.size()));
    m_spList->SetBlockValues(1, rows);
    if (!rows.isEmpty())
        m_spList->SetActiveCell(1, 1);
    return int(rows.size());
}

int frmZipcode::InitForm(const QString& searchText)
{
    if (searchText.isEmpty())
        return 2;
    m_txtinput->setText(searchText);
    const int n = RefreshSheet();
    if (n == 1) {
        if (chooseRow(1, false))
            return 1;
        ShowInfo(QStringLiteral("데이터에 문제가 있어 우편번호를 찾을 수 없습니다."));
        return 0;
    }
    return n >= 2 ? 2 : 0;
}

void frmZipcode::SearchFromInput()
{
    const QString text = m_txtinput->text();
    if (text.isEmpty() && AskYesNo(QStringLiteral("우편번호 전체 검색을 하시겠습니까?") + kCrLf +
                                       QStringLiteral("※시스템에 따라 시간이 다소 걸릴 수도 있습니다."),
                                   QStringLiteral("우편번호 검색"), false) != MsgAnswer::Yes)
        return;
    const int rows = RefreshSheet();
    if (rows < 0) {
        m_txtinput->setFocus();
    } else if (rows == 0) {
        ShowInfo(QLatin1Char('\'') + text + QStringLiteral("' 를 찾을 수 없습니다."));
        m_txtinput->setFocus();
    } else {
        m_spList->setFocus();
    }
}

bool frmZipcode::chooseRow(int row, bool fromButton)
{
    QString zip = row > 0 && row <= m_spList->MaxRows() ? m_spList->CellText(1, row) : QString();
    if (zip.isEmpty()) {
        if (fromButton)
            ShowInfo(QStringLiteral("리스트에서 선택하세요."));
        return false;
    }
    if (zip.size() == 6 && isDigits(zip))
        zip = zip.left(3) + QLatin1Char('-') + zip.mid(3);
    m_post = zip;
    m_addr = m_spList->CellText(2, row) + QLatin1Char(' ') + m_spList->CellText(3, row) + QLatin1Char(' ') +
             m_spList->CellText(4, row);
    return true;
}

void frmZipcode::selectClicked()
{
    if (chooseRow(m_spList->ActiveRow(), true))
        accept();
}

void frmZipcode::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F5)
        SearchFromInput();
    else if (!HandlePickerKey(event, m_txtinput))
        PickerDialog::keyPressEvent(event);
}

void frmZipcode::showEvent(QShowEvent* event)
{
    PickerDialog::showEvent(event);
    FocusPickerListWhenShown(this, m_spList, m_txtinput);
}

bool RunZipSearch(QWidget* parent, const QString& text, QString& post, QString& addr, bool* nothingFound)
{
    if (nothingFound)
        *nothingFound = false;
    if (!CheckSearchText(text))
        return false;
    frmZipcode window(parent);
    if (!window.isReady())
        return false;
    const int n = window.InitForm(text);
    if (n == 0) {
        ShowInfo(QStringLiteral("해당하는 주소가 검색되지 않습니다."));
        if (nothingFound)
            *nothingFound = true;
        return false;
    }
    if (n == 2) {
        ExecModal(&window);
        if (window.Post().isEmpty())
            return false;
    }
    post = window.Post();
    addr = window.Addr();
    return true;
}
