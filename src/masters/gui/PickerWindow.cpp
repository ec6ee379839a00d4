#include "masters/gui/PickerWindow.h"

#include "db/Recordset.h"
#include "db/modDBQuery.h"
#include "ui/MsgBox.h"
#include "ui/gui/InputUtil.h"
#include "ui/gui/MduMainUi.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"
#include "ui/gui/modSpread60.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

QLineEdit* MakePickerInput(QDialog* owner, const QString& objectName)
{
    auto* input = new QLineEdit(owner);
    input->setObjectName(objectName);
    input->installEventFilter(owner);
    return input;
}

QHBoxLayout* MakePickerSearchRow(QWidget* owner, QLineEdit* input)
{
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("검색어(F3)"), owner);
    label->setBuddy(input);
    row->addWidget(label);
    row->addWidget(input, 1);
    row->addSpacing(10);
    return row;
}

QPushButton* MakePickerButton(QWidget* owner, const QString& caption, const QString& objectName)
{
    auto* button = new QPushButton(caption, owner);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

void FinishPickerLayout(QDialog* owner, QLayout* top, SpreadGrid* list, QLayout* bottom)
{
    auto* layout = new QVBoxLayout(owner);
    layout->addLayout(top);
    layout->addWidget(list, 1);
    layout->addLayout(bottom);

    CenterForm(owner);
    LoadFormIni(owner);
    WatchColWidths(owner, list);
    ConnectGridMenu(owner, list);
}

bool HandlePickerInputEvent(QEvent* event, const std::function<void()>& search)
{
    if (event->type() == QEvent::FocusIn) {
        SelectAllText();
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            search();
            return true;
        }
    }
    return false;
}

void ShowPickerSearchOutcome(int rows, SpreadGrid* list)
{
    if (rows < 0) // the search text was refused, and the refusal said why
        return;
    if (rows > 0)
        list->setFocus();
    else
        ShowInfo(QStringLiteral("검색된 자료가 없습니다."));
}

bool HandlePickerKey(QKeyEvent* event, QLineEdit* input)
{
    switch (event->key()) {
    case Qt::Key_F3:
        input->setFocus();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        return false;
    }
}

void FocusPickerListWhenShown(QDialog* owner, SpreadGrid* list, QLineEdit* fallback)
{
    QTimer::singleShot(0, owner, [list, fallback] {
        if (list->MaxRows() > 0)
            list->setFocus();
        else if (fallback)
            fallback->setFocus();
    });
}

int FillPickerList(SpreadGrid* list, const ReadQuery& read, int activeCol,
                   const std::function<QVariantList(const Recordset&)>& makeRow)
{
    list->SetReDraw(false);
    list->SetMaxRows(0);
    Recordset rs;
    const int n = OpenQuery(rs, read);
    if (n > 0) {
        QList<QVariantList> rows;
        rows.reserve(n);
        for (; !rs.EOF_(); rs.MoveNext())
            rows.append(makeRow(rs));
        list->SetMaxRows(n);
        list->SetBlockValues(1, rows);
        list->SetActiveCell(activeCol, 1);
    }
    rs.close();
    list->SetReDraw(true);
    return qMax(n, 0);
}
