#pragma once

#include <QWidget>

class QPlainTextEdit;

// Modeless log of every calling number the main screen handled during this run, newest last.
class FrmSeeidList : public QWidget
{
    Q_OBJECT
public:
    explicit FrmSeeidList(QWidget* parent = nullptr);

    // Appends one line at the end of the log.
    void AddMsg(const QString& text);
    // The whole log, one line per number.
    QString Text() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPlainTextEdit* m_txtMsg = nullptr;
};
