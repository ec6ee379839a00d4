#pragma once

#include "app/AppPaths.h"
#include "app/install/DbTool.h"
#include "db/MduAdoDB.h"
#include "db/Schema.h"
#include "support/TestDatabase.h"
#include "support/TestHome.h"

#include <QTest>

// A fresh empty installation with gMainConn open on its main database.
struct DbFixture
{
    TestHome home;
    QString mainFile;

    DbFixture()
    {
        QString error;
        DbTool::DemoOptions none;
        if (!DbTool::Create(home.programFolder(), none, &error))
            qFatal("create failed: %s", qPrintable(error));
        mainFile = TestDatabase::MainLocation(AppPaths::ProgramPath(QStringLiteral("DBS/dbMain.mdb")));
        ErrInfo e;
        if (!gMainConn.open(mainFile, false, &e))
            qFatal("open failed: %s", qPrintable(e.description));
    }
    ~DbFixture() { gMainConn.close(); }
};
