#pragma once

#include <QString>
#include <QTemporaryDir>

// A throwaway program folder and per-user settings folder for one test; both are set up on construction.
class TestHome
{
public:
    TestHome();
    QString path() const { return m_dir.path(); }
    QString programFolder() const;
    QString settingsFolder() const;
    QString dbsFolder() const;
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};
