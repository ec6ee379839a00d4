#pragma once

#include "ReceiptFixture.h"
#include "app/Clock.h"
#include "app/Globals.h"

// The receipt orders of 2006-12-07 plus: 0612072001 taken at seat 2 for store S2 (only 전화2), waiting;
// 0612071003 for store T1 (no telephone), passed on at 10:05; 0612081001 of the next day. This seat is
// terminal 1 and the clock stands at 2006-12-07 12:34.
//
// Listed by store, time and number: 0612071002 (S1 14:20, passed on), 0612071001 (S1 18:05), 0612072001
// (S2 09:00), 0612071003 (T1 10:00, passed on).
struct ReceptionFixture : ReceiptFixture
{
    ReceptionFixture()
    {
        gTerminalID = QStringLiteral("1");
        Clock::SetFixed(QDateTime(QDate(2006, 12, 7), QTime(12, 34)));
        const char* statements[] = {
            "INSERT INTO 가맹점 (코드, 상호, 전화1, 전화2, 수수료율, 현잔액, 기초잔액) "
            "VALUES ('S2', '삼청족발', '', '031-222-3333', 10, 12500, 0)",
            "INSERT INTO 가맹점 (코드, 상호, 전화1, 전화2, 수수료율, 현잔액, 기초잔액) "
            "VALUES ('T1', '전화없는집', '', '', 0, 0, 0)",
            "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, 통보시간) "
            "VALUES ('0612072001', '10000002', '02-222-0000', 'S2', '2006-12-07', '09:00', '')",
            "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, 통보시간) "
            "VALUES ('0612071003', '10000002', '02-222-0000', 'T1', '2006-12-07', '10:00', '10:05')",
            "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, 통보시간) "
            "VALUES ('0612081001', '10000002', '02-222-0000', 'S1', '2006-12-08', '10:00', '')",
        };
        for (const char* sql : statements)
            if (ExecSQL(QString::fromUtf8(sql)) != 1)
                qFatal("fixture failed: %s", sql);
    }
    ~ReceptionFixture()
    {
        Clock::SetFixed(QDateTime());
        gTerminalID = QStringLiteral("0");
    }

    static QString passedOnTime(const QString& order)
    {
        const QVariant v = GetFirstValue(QStringLiteral("SELECT 통보시간 FROM 주문 WHERE 주문번호 = '") +
                                         SQLQuote(order) + QLatin1Char('\''));
        return v.isNull() ? QStringLiteral("(gone)") : v.toString();
    }
};
