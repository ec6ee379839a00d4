#pragma once

#include "db/modDBQuery.h"
#include "support/DbFixture.h"

// A main database with two orders of 2006-12-07 at store S1:
// 0612071001 waiting, its customer without an address (Null), two lines, the first with a menu name of 21
// bytes; 0612071002 passed on at 14:25, without lines.
struct ReceiptFixture : DbFixture
{
    ReceiptFixture()
    {
        const char* statements[] = {
            "INSERT INTO 고객 (코드, 전화1, 주소1, 주소2, 현포인트, 기초포인트) "
            "VALUES ('10000001', '02-111-5678', NULL, NULL, 0, 0)",
            "INSERT INTO 고객 (코드, 전화1, 주소1, 주소2, 현포인트, 기초포인트) "
            "VALUES ('10000002', '02-222-0000', '서울 종로구 가회동', '1번지', 0, 0)",
            "INSERT INTO 가맹점 (코드, 상호, 전화1, 수수료율, 현잔액, 기초잔액) "
            "VALUES ('S1', '종로치킨', '02-765-4321', 5, 0, 0)",
            "INSERT INTO 취급메뉴 (코드, 메뉴명, 가맹점코드, 판매단가) VALUES (1, 'A후라이드양념반반치킨', "
            "'S1', 15000)",
            "INSERT INTO 취급메뉴 (코드, 메뉴명, 가맹점코드, 판매단가) VALUES (2, '콜라', 'S1', 1500)",
            "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, 통보시간) "
            "VALUES ('0612071001', '10000001', '02-111-5678', 'S1', '2006-12-07', '18:05', '')",
            "INSERT INTO 주문 (주문번호, 고객코드, 주문시전화, 가맹점코드, 주문일자, 주문시간, 통보시간) "
            "VALUES ('0612071002', '10000002', '02-222-0000', 'S1', '2006-12-07', '14:20', '14:25')",
            "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) "
            "VALUES ('0612071001', 1, 1, 2, 15000, 30000, 1500, '', 30)",
            "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) "
            "VALUES ('0612071001', 2, 2, 10, 1500, 15000, 750, '', 15)",
        };
        for (const char* sql : statements)
            if (ExecSQL(QString::fromUtf8(sql)) != 1)
                qFatal("fixture failed: %s", sql);
    }
};
