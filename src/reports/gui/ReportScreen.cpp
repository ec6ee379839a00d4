#include "reports/gui/ReportScreen.h"

#include "app/Clock.h"
#include "ui/gui/GridPager.h"
#include "ui/gui/GridPrinter.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modSpread60.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
const QString kDate = QStringLiteral("yyyy-MM-dd");

// Rows already made, for a report that makes them all at once.
class HeldRows : public ReportRowSource
{
public:
    explicit HeldRows(std::vector<ReportRow> rows) : m_rows(std::move(rows))
    {
        for (const ReportRow& r : m_rows)
            m_data += r.kind == ReportRow::Kind::Data ? 1 : 0;
    }
    int RowCount() const override { return int(m_rows.size()); }
    ReportRow RowAt(int row) const override { return m_rows[size_t(row)]; }
    int DataRowCount() const override { return m_data; }

private:
    std::vector<ReportRow> m_rows;
    int m_data = 0;
};

QDateEdit* dateEdit(QWidget* owner, const QString& name)
{
    auto* edit = new QDateEdit(Clock::Today(), owner);
    edit->setObjectName(name);
    edit->setDisplayFormat(kDate);
    edit->setCalendarPopup(true);
    return edit;
}
} // namespace

ReportScreen::ReportScreen(QWidget* parent) : ListScreen(parent)
{
    auto* row = qobject_cast<QHBoxLayout*>(pnlTop()->layout());
    // The list screen's own search row gives way to the period, the search boxes and the sort options.
    for (QWidget* w : {static_cast<QWidget*>(htName()), static_cast<QWidget*>(cmbFindKey()),
                       static_cast<QWidget*>(cmbFindOP())})
        w->setVisible(false);
    if (auto* caption = qobject_cast<QLabel*>(row->itemAt(0)->widget()))
        caption->setVisible(false);
    for (QPushButton* b : {btnRecAdd(), btnRecEdit(), btnRecDel()})
        b->setVisible(false);

    m_from = dateEdit(pnlTop(), QStringLiteral("hdTerm_0"));
    m_to = dateEdit(pnlTop(), QStringLiteral("hdTerm_1"));
    auto* term = new QLabel(QStringLiteral("검색기간:"), pnlTop());
    term->setBuddy(m_from);
    int at = 0;
    row->insertWidget(at++, term);
    row->insertWidget(at++, m_from);
    row->insertWidget(at++, new QLabel(QStringLiteral("~"), pnlTop()));
    row->insertWidget(at++, m_to);
    m_pager =
        new GridPager(spList(), GridPager::FillRange([this](int first, int last) { fillRows(first, last); }));
    m_sortGroup = new QButtonGroup(this);
    connect(m_sortGroup, &QButtonGroup::idClicked, this, [this](int id) { SortClicked(id); });
    SetRecCount(0);
}

QString ReportScreen::PeriodFrom() const
{
    return m_from->date().toString(kDate);
}

QString ReportScreen::PeriodTo() const
{
    return m_to->date().toString(kDate);
}

QString ReportScreen::PeriodSubTitle() const
{
    return QStringLiteral("( 검색기간: ") + PeriodFrom() + QStringLiteral(" - ") + PeriodTo() +
           QStringLiteral(" )    ");
}

int ReportScreen::SortIndex() const
{
    return std::max(m_sortGroup->checkedId(), 0);
}

void ReportScreen::PrintList()
{
    m_pager->FillAll();
    gGridPrinter->PrintSpread(spList(), windowTitle(), windowTitle(), PeriodSubTitle(), m_printOption,
                              m_printMargin, m_printMargin, m_printMargin, m_printMargin);
}

void ReportScreen::ExportList()
{
    m_pager->FillAll();
    ListScreen::ExportList();
}

QLineEdit* ReportScreen::AddFilter(const QString& caption, const QString& objectName)
{
    auto* row = qobject_cast<QHBoxLayout*>(pnlTop()->layout());
    auto* box = new QLineEdit(pnlTop());
    box->setObjectName(objectName);
    box->setMinimumWidth(110);
    auto* label = new QLabel(caption, pnlTop());
    label->setBuddy(box);
    const int at = row->indexOf(btnQuery());
    row->insertWidget(at, label);
    row->insertWidget(at + 1, box, 1);
    m_filters << box;
    m_edited.insert(box, false);
    box->installEventFilter(this);
    connect(box, &QLineEdit::textEdited, this, [this, box] { m_edited[box] = true; });
    connect(box, &QLineEdit::textChanged, this, [this, box](const QString& text) {
        if (text.isEmpty())
            FilterCleared(box);
    });
    return box;
}

void ReportScreen::SetFilterChoice(QLineEdit* box, const QString& text)
{
    box->setText(text);
    m_edited[box] = false;
}

void ReportScreen::AddSortOptions(const QStringList& texts)
{
    auto* row = qobject_cast<QHBoxLayout*>(pnlTop()->layout());
    int at = row->indexOf(btnQuery());
    row->insertWidget(at++, new QLabel(QStringLiteral("정렬기준:"), pnlTop()));
    for (int i = 0; i < texts.size(); ++i) {
        auto* option = new QRadioButton(texts[i], pnlTop());
        option->setObjectName(QStringLiteral("optSort_%1").arg(i));
        m_sortGroup->addButton(option, i);
        m_optSort << option;
        row->insertWidget(at++, option);
    }
    if (!m_optSort.isEmpty())
        m_optSort.first()->setChecked(true);
}

int ReportScreen::ShowRows(std::vector<ReportRow> rows, const QHash<int, QColor>& tagColours)
{
    return ShowRows(std::make_shared<HeldRows>(std::move(rows)), tagColours);
}

int ReportScreen::ShowRows(std::shared_ptr<const ReportRowSource> rows, const QHash<int, QColor>& tagColours)
{
    SpreadGrid* grid = spList();
    m_rows = std::move(rows);
    m_tagColours = tagColours;
    grid->SetReDraw(false);
    m_pager->Reset(m_rows ? m_rows->RowCount() : 0);
    const int data = m_rows ? m_rows->DataRowCount() : 0;
    if (data > 0)
        grid->SetActiveCell(1, 1);
    grid->SetReDraw(true);
    SetRecCount(data);
    return data;
}

void ReportScreen::fillRows(int first, int last)
{
    if (!m_rows)
        return;
    SpreadGrid* grid = spList();
    const int col = grid->Col();
    const int rowAt = grid->Row();
    grid->SetCol(-1);
    for (int r = first; r <= last && r <= m_rows->RowCount(); ++r) {
        const ReportRow row = m_rows->RowAt(r - 1);
        grid->SetRowValues(r, row.cells);
        grid->SetRow(r);
        switch (row.kind) {
        case ReportRow::Kind::Data: {
            const QColor colour = m_tagColours.value(row.tag);
            if (colour.isValid())
                grid->SetForeColor(colour);
            break;
        }
        case ReportRow::Kind::SubTotal:
            grid->SetBackColor(GridColors::SubTotalBack);
            grid->SetLock(true);
            break;
        case ReportRow::Kind::Total:
            grid->SetBackColor(GridColors::TotalBack);
            grid->SetLock(true);
            break;
        }
    }
    grid->SetCol(col);
    grid->SetRow(rowAt);
}

QPoint ReportScreen::PickerAnchor() const
{
    return pnlTop()->mapToGlobal(QPoint(0, pnlTop()->height()));
}

bool ReportScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (box && m_filters.contains(box) && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            FilterEnter(box);
            return true;
        }
    }
    return ListScreen::eventFilter(watched, event);
}
