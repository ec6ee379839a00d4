#include "app/Globals.h"
#include "app/start/MduMain.h"
#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "db/modMain_SQL.h"
#include "masters/gui/Pick.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/MsgBox.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/RecordScreens.h"
#include "ui/gui/ScreenCatalogue.h"

#include <QDialog>
#include <QTest>

#include <functional>

Q_DECLARE_METATYPE(std::function<bool()>)

namespace {
// Picker stand-in: a fixed number of matches, and the record it hands back.
class FakePicker : public RecordPicker
{
public:
    static inline int matches = 0;
    static inline QString chosen;
    static inline QString lastSearch;
    static inline QString lastExtra;
    static inline bool multi = false;
    int FindRecords(const QString& text, const QString& extra) override
    {
        lastSearch = text;
        lastExtra = extra;
        return matches;
    }
    QString result() const override { return matches == 0 ? QString() : chosen; }
    void SetMultyMode() override { multi = true; }
    QDialog* dialog() override { return &m_dialog; }
    QDialog m_dialog;
};

class FakeEditor : public RecordEditor
{
public:
    static inline QString added;
    static inline QString initText;
    static inline int initMode = 0;
    void Init(EditorMode mode, QWidget*, const QString& text) override
    {
        initMode = int(mode);
        initText = text;
    }
    QString AddedRec() const override { return added; }
    QDialog* dialog() override { return &m_dialog; }
    QDialog m_dialog;
};
} // namespace

// The shared record operations on a real installation file.
class TestModMainSql : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void passAuthority();
    void passAuthorityAdminPassword_data();
    void passAuthorityAdminPassword();
    void configRoundTrip();
    void companyName();
    void adjustZeroTouchesNothing();
    void failureInsideWriteWaitsForRollback_data();
    void failureInsideWriteWaitsForRollback();
    void dialogInsideWriteIsReported();
    void adjustBalanceWritesPlainDecimal();
    void deleteOrder();
    void deleteOrderIsAtomic();
    void pickRecord_data();
    void pickRecord();
    void pickMenu();

private:
    void seedOrder(const QString& number, bool withLines);
    DbFixture* m_db = nullptr;
    int m_modalRuns = 0;
};

void TestModMainSql::initTestCase()
{
    ScreenCatalogue::RegisterPicker("FrmCust_sel", [] { return std::make_unique<FakePicker>(); });
    ScreenCatalogue::RegisterPicker("FrmMenu_sel", [] { return std::make_unique<FakePicker>(); });
    ScreenCatalogue::RegisterEditor("FrmCust_save", [] { return std::make_unique<FakeEditor>(); });
    SetModalHandler([this](QDialog*) {
        ++m_modalRuns;
        return int(QDialog::Accepted);
    });
}

void TestModMainSql::init()
{
    m_db = new DbFixture;
    m_modalRuns = 0;
    gAdminPWD.clear();
    ExecSQL("INSERT INTO 가맹점 (코드, 상호, 수수료율, 현잔액) VALUES ('S1', '김''s 치킨', 3.5, 1000)");
    ExecSQL("INSERT INTO 고객 (코드, 전화1, 현포인트) VALUES ('10000001', '02-1234-5678', 500)");
    ExecSQL("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES ('후라이드', 'S1', 12350)");
}

void TestModMainSql::cleanup()
{
    delete m_db;
    m_db = nullptr;
}

void TestModMainSql::seedOrder(const QString& number, bool withLines)
{
    QCOMPARE(ExecSQL("INSERT INTO 주문 (주문번호, 고객코드, 가맹점코드, 주문일자, 통보시간) VALUES ('" +
                     number + "', '10000001', 'S1', '2026-12-08', '')"),
             1);
    if (!withLines)
        return;
    QCOMPARE(
        ExecSQL(
            "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 포인트) VALUES ('" +
            number + "', 1, 1, 1, 12350, 12350, 432, 124)"),
        1);
    QCOMPARE(
        ExecSQL(
            "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 포인트) VALUES ('" +
            number + "', 2, 1, 2, 12350, 24700, 864.5, 247)"),
        1);
    ExecSQL("UPDATE 가맹점 SET 현잔액 = 현잔액 + 1296.5 WHERE 코드 = 'S1'");
    ExecSQL("UPDATE 고객 SET 현포인트 = 현포인트 + 371 WHERE 코드 = '10000001'");
}

void TestModMainSql::passAuthority()
{
    ScriptedPrompter p;
    QVERIFY(PassAuthority("frmOptions", "환경설정", 0));
    QCOMPARE(GetFirstValue("SELECT 폼이름 FROM 보안설정").toString(), QStringLiteral("frmOptions"));
    // Opening again, in another letter case and with a new description, adds no second row.
    QVERIFY(PassAuthority("FRMOPTIONS", "환경 설정", 0));
    QCOMPARE(CountRows("보안설정"), 1);
    QCOMPARE(GetFirstValue("SELECT 폼설명 FROM 보안설정").toString(), QStringLiteral("환경 설정"));
    QCOMPARE(GetFirstValue("SELECT 사용권한 FROM 보안설정").toInt(), 0);
    QCOMPARE(p.count(), 0);
}

void TestModMainSql::passAuthorityAdminPassword_data()
{
    QTest::addColumn<QString>("adminPwd");
    QTest::addColumn<bool>("promptAnswer");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<int>("prompts");
    QTest::newRow("no password set: opens") << "" << false << true << 0;
    QTest::newRow("password typed") << "1234" << true << true << 1;
    QTest::newRow("password refused") << "1234" << false << false << 1;
}

void TestModMainSql::passAuthorityAdminPassword()
{
    QFETCH(QString, adminPwd);
    QFETCH(bool, promptAnswer);
    QFETCH(bool, expected);
    QFETCH(int, prompts);
    int asked = 0;
    SetAdminPasswordPrompt([&](const QString& correct) {
        ++asked;
        return correct == adminPwd && promptAnswer;
    });
    gAdminPWD = adminPwd;
    QVERIFY(PassAuthority("FrmRPT_sale", "매출현황", 0)); // level 0 never asks
    QCOMPARE(ExecSQL("UPDATE 보안설정 SET 사용권한 = -1"), 1);
    QCOMPARE(PassAuthority("FrmRPT_sale", "매출현황", 0), expected);
    QCOMPARE(asked, prompts);
    SetAdminPasswordPrompt({});
}

void TestModMainSql::configRoundTrip()
{
    QCOMPARE(GetConfig("DDD", "02"), QStringLiteral("02"));
    QCOMPARE(CountRows("환경설정", "구분 = 'DDD'"), 1);
    QVERIFY(SaveConfig("DDD", "031"));
    QCOMPARE(GetConfig("DDD", "02"), QStringLiteral("031"));
    QVERIFY(SaveConfig("메모's", "it's"));
    QCOMPARE(GetConfig("메모's", ""), QStringLiteral("it's"));
    QCOMPARE(CountRows("환경설정"), 2);
}

void TestModMainSql::companyName()
{
    QCOMPARE(GetCompanyName(), QStringLiteral("테스Soft"));
    ExecSQL("INSERT INTO 사용자정보 (상호명) VALUES ('')");
    QCOMPARE(GetCompanyName(), QStringLiteral("테스Soft"));
    ExecSQL("UPDATE 사용자정보 SET 상호명 = '느티나무 콜센터'");
    QCOMPARE(GetCompanyName(), QStringLiteral("느티나무 콜센터"));
}

void TestModMainSql::adjustZeroTouchesNothing()
{
    ScriptedPrompter p;
    QVERIFY(AdjustPoints("nobody", 0));
    QVERIFY(AdjustBalance("nobody", 0));
    QCOMPARE(p.count(), 0);
}

void TestModMainSql::failureInsideWriteWaitsForRollback_data()
{
    QTest::addColumn<std::function<bool()>>("step");
    QTest::addColumn<QString>("message");
    QTest::newRow("points of an unknown customer")
        << std::function<bool()>([] { return AdjustPoints("nobody", 5); })
        << QStringLiteral(
               "고객의 포인트 계산 중 오류가 발생하여 정상처리 되지 못했습니다.\r\n고객코드: nobody");
    QTest::newRow("balance of an unknown store")
        << std::function<bool()>([] { return AdjustBalance("x'y", 5); })
        << QStringLiteral(
               "가맹점의 수수료 계산 중 오류가 발생하여 정상처리 되지 못했습니다.\r\n가맹점코드: x'y");
    QTest::newRow("engine error") << std::function<bool()>([] {
        return ExecSQL("UPDATE 없는표 SET a = 1") >= 0;
    }) << QStringLiteral("자료를 저장하지 못했습니다.");
    QTest::newRow("numbers used up") << std::function<bool()>([] {
        ExecSQL("INSERT INTO 고객 (코드, 전화1, 현포인트) VALUES ('19999999', '02-0000-0000', 0)");
        return !NextCode("고객", "코드", 8, "1").isEmpty();
    }) << QStringLiteral("해당 순번이 최대값을 넘어 자동으로 값을 구할 수가 없습니다.");
}

void TestModMainSql::failureInsideWriteWaitsForRollback()
{
    QFETCH(std::function<bool()>, step);
    QFETCH(QString, message);
    ScriptedPrompter p;
    {
        DbTransaction t(gMainConn);
        QVERIFY(!step());
        QCOMPARE(p.count(), 0);
    }
    QCOMPARE(p.count(), 1);
    QVERIFY(p.lastText().startsWith(message));
    // The same step outside a write tells the operator at once.
    QVERIFY(!step());
    QCOMPARE(p.count(), 2);
}

void TestModMainSql::dialogInsideWriteIsReported()
{
    int breaches = 0;
    const DialogRuleBreachHandler previous =
        SetDialogRuleBreachHandler([&breaches](const QString&) { ++breaches; });
    DbTransaction t(gMainConn);
    ShowInfo("inside");
    QCOMPARE(breaches, 1);
    t.rollback();
    ShowInfo("after");
    QCOMPARE(breaches, 1);
    SetDialogRuleBreachHandler(previous);
}

void TestModMainSql::adjustBalanceWritesPlainDecimal()
{
    QVERIFY(AdjustBalance("S1", -432.25));
    QVERIFY(AdjustBalance("S1", 0.000001));
    QVERIFY(AdjustPoints("10000001", -600));
    QCOMPARE(Rows::balance("S1"), 567.750001);
    QCOMPARE(GetFirstValue("SELECT 현포인트 FROM 고객 WHERE 코드 = '10000001'").toInt(), -100);
}

void TestModMainSql::deleteOrder()
{
    ScriptedPrompter p;
    seedOrder("2612081001", true);
    seedOrder("2612081002", false);
    QVERIFY(DeleteOrder("2612081001"));
    QCOMPARE(CountRows("주문내역"), 0);
    QCOMPARE(Rows::balance("S1"), 1000.0);
    QCOMPARE(GetFirstValue("SELECT 현포인트 FROM 고객 WHERE 코드 = '10000001'").toInt(), 500);
    QVERIFY(DeleteOrder("2612081002")); // no lines: reverses nothing
    QCOMPARE(Rows::balance("S1"), 1000.0);
    QCOMPARE(p.count(), 0);
    QVERIFY(!DeleteOrder("2612081002"));
    QCOMPARE(p.lastText(), QStringLiteral("해당 주문은 이미 삭제 되었습니다."));
    QVERIFY(!DeleteOrder(""));
    QCOMPARE(p.lastText(), QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
    // A number reused later starts without the old lines.
    seedOrder("2612081001", false);
    QCOMPARE(CountRows("주문내역", "주문번호 = '2612081001'"), 0);
}

void TestModMainSql::deleteOrderIsAtomic()
{
    ScriptedPrompter p;
    seedOrder("2612081001", true);
    gMainConn.setFaultInjector([](const QString& sql) -> std::optional<ErrInfo> {
        if (sql.startsWith(QStringLiteral("UPDATE 가맹점")))
            return ErrInfo{DbErr::kUnspecified, QStringLiteral("injected")};
        return std::nullopt;
    });
    QVERIFY(!DeleteOrder("2612081001"));
    gMainConn.setFaultInjector({});
    QCOMPARE(CountRows("주문", "주문번호 = '2612081001'"), 1);
    QCOMPARE(CountRows("주문내역"), 2);
    QCOMPARE(GetFirstValue("SELECT 현포인트 FROM 고객 WHERE 코드 = '10000001'").toInt(), 871);
    QCOMPARE(Rows::balance("S1"), 2296.5);
    QVERIFY(DeleteOrder("2612081001"));
}

void TestModMainSql::pickRecord_data()
{
    QTest::addColumn<int>("matches");
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("answer"); // -1: no question expected
    QTest::addColumn<QString>("added");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("expectedCode");
    QTest::addColumn<int>("modalRuns");
    QTest::addColumn<QString>("question");
    const QChar nul(0);
    QTest::newRow("one match taken unseen") << 1 << "5678" << -1 << ""
                                            << "02-1234-5678"
                                            << "10000001" << 0 << "";
    QTest::newRow("several shown") << 3 << "5678" << -1 << ""
                                   << "02-1234-5678"
                                   << "10000001" << 1 << "";
    QTest::newRow("none, register yes")
        << 0 << "0212345678" << int(MsgAnswer::Yes) << QString("10000002") + nul + "02-1234-5678"
        << "02-1234-5678"
        << "10000002" << 1 << "검색한 고객이 등록되어 있지 않습니다.\r\n신규 등록하겠습니까?";
    QTest::newRow("none, register no") << 0 << "" << int(MsgAnswer::No) << ""
                                       << ""
                                       << "" << 0 << "등록된 고객이 없습니다.\r\n신규 등록하겠습니까?";
    QTest::newRow("none, editor closed unsaved")
        << 0 << "1" << int(MsgAnswer::Yes) << ""
        << ""
        << "" << 1 << "검색한 고객이 등록되어 있지 않습니다.\r\n신규 등록하겠습니까?";
}

void TestModMainSql::pickRecord()
{
    QFETCH(int, matches);
    QFETCH(QString, search);
    QFETCH(int, answer);
    QFETCH(QString, added);
    QFETCH(QString, expected);
    QFETCH(QString, expectedCode);
    QFETCH(int, modalRuns);
    QFETCH(QString, question);
    ScriptedPrompter p;
    if (answer >= 0)
        p.answer(MsgAnswer(answer));
    FakePicker::matches = matches;
    FakePicker::chosen = QString("10000001") + QChar(0) + "02-1234-5678";
    FakeEditor::added = added;
    FakeEditor::initMode = 0;
    QString code;
    QCOMPARE(PickCustomer(search, code, {}, true, CustomerNumber::First), expected);
    QCOMPARE(code, expectedCode);
    QCOMPARE(m_modalRuns, modalRuns);
    QCOMPARE(FakePicker::lastExtra, QStringLiteral("True"));
    QCOMPARE(p.unexpected(), 0);
    if (!question.isEmpty()) {
        QCOMPARE(p.lastText(), question);
        QCOMPARE(p.lastTitle(), QStringLiteral("고객 검색"));
        QCOMPARE(p.shown().last().request.defaultAnswer, MsgAnswer::Yes);
    }
    if (answer == int(MsgAnswer::Yes)) {
        QCOMPARE(FakeEditor::initMode, 1);
        QCOMPARE(FakeEditor::initText, search);
    }
}

void TestModMainSql::pickMenu()
{
    ScriptedPrompter p;
    const QChar nul(0);
    FakePicker::matches = 2;
    FakePicker::multi = false;
    FakePicker::chosen = QString("*") + "7" + nul + "후라이드";
    QString code;
    QCOMPARE(PickMenu("S1", "김's 치킨", "", code, {}, PickChoice::Single), QStringLiteral("후라이드"));
    QCOMPARE(code, QStringLiteral("7"));
    QCOMPARE(PickMenu("S1", "", "", code, {}, PickChoice::Multiple), FakePicker::chosen);
    QVERIFY(FakePicker::multi);
    FakePicker::matches = 0;
    QCOMPARE(PickMenu("S1", "", "피자", code, {}, PickChoice::Single), QString());
    QCOMPARE(
        p.lastText(),
        QStringLiteral("검색한 메뉴가 등록되어 있지 않습니다.\r\n가맹점관리에서 메뉴를 먼저 등록하세요."));
    QCOMPARE(p.lastTitle(), QStringLiteral("메뉴 검색"));
}

QTEST_MAIN(TestModMainSql)
#include "tst_modMainSql.moc"
