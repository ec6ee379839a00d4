#pragma once

#include "app/AppPaths.h"
#include "app/Clock.h"
#include "app/Globals.h"
#include "app/install/DbTool.h"
#include "db/MduAdoDB.h"
#include "db/modDBQuery.h"
#include "support/TestDatabase.h"
#include "support/TestHome.h"

#include <QTest>

// An empty installation with gMainConn open, a frozen clock, and a few stores, menus and customers.
struct MainFixture
{
    TestHome home;

    MainFixture()
    {
        QString error;
        if (!DbTool::Create(home.programFolder(), {}, &error))
            qFatal("create failed: %s", qPrintable(error));
        ErrInfo e;
        if (!gMainConn.open(
                TestDatabase::MainLocation(AppPaths::ProgramPath(QStringLiteral("DBS/dbMain.mdb"))), false,
                &e))
            qFatal("open failed: %s", qPrintable(e.description));
        gTerminalID = QStringLiteral("1");
        gPointUnit = 100;
        gDBPath = home.dbsFolder();
        Clock::SetFixed(QDateTime(QDate(2026, 12, 8), QTime(12, 30)));
        exec("INSERT INTO 가맹점 (코드, 상호, 전화1, 전화2, 수수료율, 현잔액, 기초잔액, 영업시작, 영업종료) "
             "VALUES "
             "('1001', '느티골치킨', '02-555-1001', '', 3.5, 0, 0, '10:00', '22:00')");
        exec("INSERT INTO 가맹점 (코드, 상호, 전화1, 전화2, 수수료율, 현잔액, 기초잔액, 영업시작, 영업종료) "
             "VALUES "
             "('1002', '야식천국', '', '031-123-4567', 10, 0, 0, '17:00', '02:00')");
        exec("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('후라이드', '1001', 6175)");
        exec("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('양념', '1001', 10000)");
        exec("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('족발', '1002', 10000)");
        exec("INSERT INTO 고객 (코드, 전화1, 전화2, 주소1, 주소2, 현포인트, 기초포인트) VALUES "
             "('10000001', '02-1234-5678', '010-1111-2222', '서울특별시 강남구 역삼동', '1층', 500, 500)");
        exec("INSERT INTO 고객 (코드, 전화1, 주소1, 현포인트, 기초포인트) VALUES "
             "('10000002', '02-9999-0000', '서울특별시 서초구 서초동', 0, 0)");
    }
    ~MainFixture()
    {
        gMainConn.close();
        Clock::SetFixed(QDateTime());
    }
    static void exec(const QString& sql)
    {
        if (ExecSQL(sql) != 1)
            qFatal("seed failed: %s", qPrintable(sql));
    }
    static void addOrder(const QString& number, const QString& cust, const QString& store,
                         const QString& time, const QString& date = QStringLiteral("2026-12-08"))
    {
        exec("INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, 통보시간) "
             "VALUES ('" +
             number + "', '" + cust + "', '02-1234-5678', '" + store + "', '" + date + "', '" + time +
             "', '')");
    }
};
