#pragma once

#include "reports/ReportTotals.h"
#include "ui/gui/ListScreen.h"

#include <QHash>

#include <vector>

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
    const QList<QRadioButton*>& optSort() const { return m_optSort; }
    int SortIndex() const;
    void PrintList() override;

protected:
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

    // Fills spList with the rows: sums and totals locked in their colours, each data row in the colour
    // rowColour gives its tag (an invalid colour keeps the grid's). Returns the number of data rows.
    int ShowRows(const std::vector<ReportRow>& rows, const QHash<int, QColor>& tagColours = {});

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
    int m_printOption = 0;
    double m_printMargin = 0.5;
};
