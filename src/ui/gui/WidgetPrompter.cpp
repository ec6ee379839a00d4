#include "ui/gui/WidgetPrompter.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>

MsgAnswer WidgetPrompter::message(const MsgRequest& request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.title);
    box.setText(QString(request.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (request.icon) {
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* ok = nullptr;
    switch (request.buttons) {
    case MsgButtons::Ok:
        ok = box.addButton(QStringLiteral("확인"), QMessageBox::AcceptRole);
        break;
    case MsgButtons::YesNoCancel:
        yes = box.addButton(QStringLiteral("예(&Y)"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("아니오(&N)"), QMessageBox::NoRole);
        cancel = box.addButton(QStringLiteral("취소"), QMessageBox::RejectRole);
        break;
    case MsgButtons::YesNo:
        yes = box.addButton(QStringLiteral("예(&Y)"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("아니오(&N)"), QMessageBox::NoRole);
        break;
    }
    QPushButton* def = ok;
    if (request.defaultAnswer == MsgAnswer::Yes && yes)
        def = yes;
    else if (request.defaultAnswer == MsgAnswer::No && no)
        def = no;
    else if (request.defaultAnswer == MsgAnswer::Cancel && cancel)
        def = cancel;
    if (def)
        box.setDefaultButton(def);
    if (cancel)
        box.setEscapeButton(cancel);
    else if (no)
        box.setEscapeButton(no);
    box.exec();
    const auto* clicked = box.clickedButton();
    if (clicked == yes && yes)
        return MsgAnswer::Yes;
    if (clicked == no && no)
        return MsgAnswer::No;
    if (clicked == cancel && cancel)
        return MsgAnswer::Cancel;
    if (request.buttons == MsgButtons::YesNo)
        return MsgAnswer::No;
    if (request.buttons == MsgButtons::YesNoCancel)
        return MsgAnswer::Cancel;
    return MsgAnswer::Ok;
}

std::optional<QString> WidgetPrompter::input(const QString& prompt, const QString& title,
                                             const QString& defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), title,
                              QString(prompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                              QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

void WidgetPrompter::floatNotice(const QString& text)
{
    auto* label = new QLabel(text, nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    label->setAttribute(Qt::WA_DeleteOnClose);
    label->setAttribute(Qt::WA_ShowWithoutActivating);
    label->setMargin(14);
    label->setStyleSheet(
        QStringLiteral("QLabel { background: palette(button); border: 1px solid palette(mid);"
                       " font-weight: bold; }"));
    label->adjustSize();
    QRect area;
    if (QWidget* w = QApplication::activeWindow())
        area = w->frameGeometry();
    else if (QScreen* s = QGuiApplication::primaryScreen())
        area = s->availableGeometry();
    label->move(area.center() - QPoint(label->width() / 2, label->height() / 2));
    label->show();
    // A notice that names a file stays long enough to be read.
    const int ms = std::clamp(900 + 60 * (int(text.size()) - 20), 900, 6000);
    QTimer::singleShot(ms, label, &QWidget::close);
}
