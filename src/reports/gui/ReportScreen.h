#pragma once

#include "reports/ReportTotals.h"
#include "ui/gui/ListScreen.h"

#include <QHash>

#include <memory>
#include <vector>

class GridPager;
class QButtonGroup;
class QDateEdit;
class QRadioButton;

// Base of the report screens: a period, search boxes that pick a record, sort options and a read-only grid
// filled from the core's report rows.
//
// The list screen's search field, search combos and record buttons are hidden; 조회 and F5 stay with the
// list screen, 인쇄 prints the grid with the period as its sub-title.
class ReportScreen : public ListScreen
{
    Q_OBJECT
public:
    QString PeriodFrom() const;
    QString PeriodTo() const;
    // "( 검색기간: d1 - d2 )    "
    QString PeriodSubTitle() const;
    int SortIndex() const;
    // Both take the whole report: the rows not yet shown are written first.
    void PrintList() override;
    void ExportList() override;

protected:
    const QList<QRadioButton*>& optSort() const { return m_optSort; }
    QDateEdit* hdTermFrom() const { return m_from; }
    QDateEdit* hdTermTo() const { return m_to; }
    explicit ReportScreen(QWidget* parent = nullptr);

    // A search box named objectName after a caption, added before the sort options; Enter in it calls
    // FilterEnter, emptying it FilterCleared.
    QLineEdit* AddFilter(const QString& caption, const QString& objectName);
    // Whether the operator typed in the box since its last choice.
    bool FilterEdited(QLineEdit* box) const { return m_edited.value(box, false); }
    // Shows a chosen record's text in the box; the box counts as unedited until the operator types.
    void SetFilterChoice(QLineEdit* box, const QString& text);
    virtual void FilterEnter(QLineEdit* box) = 0;
    virtual void FilterCleared(QLineEdit* box) = 0;

    // Option buttons optSort_0.. after the caption "정렬기준:"; a click on one calls SortClicked.
    void AddSortOptions(const QStringList& texts);
    virtual void SortClicked(int index) = 0;

    // Shows the report's rows in spList, each written as it first comes into view: sums and totals locked in
    // their colours, each data row in the colour tagColours gives its tag (none keeps the grid's). Returns
    // the number of data rows.
    int ShowRows(std::shared_ptr<const ReportRowSource> rows, const QHash<int, QColor>& tagColours = {});
    int ShowRows(std::vector<ReportRow> rows, const QHash<int, QColor>& tagColours = {});
    // An empty grid.
    void ClearRows() { ShowRows(std::shared_ptr<const ReportRowSource>()); }
    // The report shown, or none.
    const ReportRowSource* Shown() const { return m_rows.get(); }

    void SetPrintOption(int option, double margin)
    {
        m_printOption = option;
        m_printMargin = margin;
    }
    // Where the pickers open: under the search row.
    QPoint PickerAnchor() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QHash<QLineEdit*, bool> m_edited;
    QList<QLineEdit*> m_filters;
    QList<QRadioButton*> m_optSort;
    QButtonGroup* m_sortGroup = nullptr;
    // Writes grid rows from m_rows.
    void fillRows(int first, int last);

    GridPager* m_pager = nullptr;
    std::shared_ptr<const ReportRowSource> m_rows;
    QHash<int, QColor> m_tagColours;
    int m_printOption = 0;
    double m_printMargin = 0.5;
};
