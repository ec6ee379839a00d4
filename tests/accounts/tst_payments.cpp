#include "accounts/PaymentService.h"
#include "accounts/gui/FrmRecv_admin.h"
#include "accounts/gui/FrmRecv_save.h"
#include "app/Clock.h"
#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "masters/gui/FrmMemb_sel.h"
#include "masters/gui/StoreScreens.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestRows.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/SpreadGrid.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace {
qint64 balance(const char* store)
{
    return qint64(Rows::balance(QString::fromUtf8(store)));
}

// 현잔액 = 기초잔액 + commissions − payments − discounts, for every store.
void checkBalances()
{
    QCOMPARE(CountRows("가맹점", "현잔액 <> 기초잔액 - (SELECT IFNULL(SUM(입금액 + 할인액), 0) FROM 입금 "
                                 "WHERE 입금.가맹점코드 = 가맹점.코드)"),
             0);
}

// Fills the editor's fields and saves as F2 does.
bool save(FrmRecv_save& ed, const QString& store, const QString& amount, const QString& discount)
{
    Ctl<QLineEdit>(&ed, "htField", FrmRecv_save::FldStore)->setText(store);
    Ctl<QLineEdit>(&ed, "htField", FrmRecv_save::FldAmount)->setText(amount);
    Ctl<QLineEdit>(&ed, "htField", FrmRecv_save::FldDiscount)->setText(discount);
    Ctl<QLineEdit>(&ed, "htField", FrmRecv_save::FldMemo)->setText("메모's");
    return ed.Save();
}
} // namespace

// Store payments: every change moves the store balance with it, in one unit, and the list follows.
class TestPayments : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void postings_data();
    void postings();
    void failedPostingLeavesNothing();
    void list();
    void storeSearch_data();
    void storeSearch();

private:
    DbFixture* m_db = nullptr;
};

void TestPayments::init()
{
    m_db = new DbFixture;
    Clock::SetFixed(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    for (const char* s : {"A", "B"})
        QCOMPARE(ExecSQL(QString("INSERT INTO 가맹점 (코드, 상호, 전화1, 현잔액, 기초잔액, 수수료율) "
                                 "VALUES ('%1', '가게%1', '02-1', 50000, 50000, 3)")
                             .arg(s)),
                 1);
}

void TestPayments::cleanup()
{
    Clock::SetFixed({});
    SetModalHandler({});
    delete m_db;
    m_db = nullptr;
}

void TestPayments::postings_data()
{
    QTest::addColumn<QString>("store"); // the edit's store; empty: no edit
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("discount");
    QTest::addColumn<bool>("deleteAfter");
    QTest::addColumn<qint64>("balanceA");
    QTest::addColumn<qint64>("balanceB");
    QTest::addColumn<QString>("message");

    QTest::newRow("added 10,000 + 500") << ""
                                        << ""
                                        << "" << false << 39500LL << 50000LL << "";
    QTest::newRow("edited to 8,000") << "A"
                                     << "8000"
                                     << "0" << false << 42000LL << 50000LL << "";
    QTest::newRow("moved to another store") << "B"
                                            << "10,000"
                                            << "500" << false << 50000LL << 39500LL << "";
    QTest::newRow("deleted") << ""
                             << ""
                             << "" << true << 50000LL << 50000LL << "";
    QTest::newRow("unknown store") << "Z"
                                   << "1"
                                   << "0" << false << 39500LL << 50000LL
                                   << "존재하지 않는 가맹점 코드입니다.";
    QTest::newRow("letters in the amount")
        << "A"
        << "1만"
        << "0" << false << 39500LL << 50000LL
        << "[입금액]에는 숫자(원 단위)만 입력할 수 있습니다.\r\n예) 10000 또는 "
           "10,000";
}

void TestPayments::postings()
{
    QFETCH(QString, store);
    QFETCH(QString, amount);
    QFETCH(QString, discount);
    QFETCH(bool, deleteAfter);
    QFETCH(qint64, balanceA);
    QFETCH(qint64, balanceB);
    QFETCH(QString, message);
    ScriptedPrompter prompter;
    qint64 key = 0;
    {
        FrmRecv_save ed;
        ed.Init(EditorMode::Add, nullptr, QString());
        QVERIFY2(save(ed, "A", "10,000", "500"), qPrintable(prompter.texts().join("/")));
        key = ed.FieldText(FrmRecv_save::FldKey).toLongLong();
        // The number is the one of the row just written, and the shown balance follows the posting.
        QCOMPARE(GetFirstValue(QString("SELECT 입금액 FROM 입금 WHERE 처리순번 = %1").arg(key)).toInt(),
                 10000);
        QCOMPARE(ed.FieldText(FrmRecv_save::FldBalance), QString("39,500"));
    }
    if (!store.isEmpty()) {
        FrmRecv_save ed;
        ed.Init(EditorMode::Edit, nullptr, QString::number(key));
        QCOMPARE(Ctl<QLabel>(&ed, "lblMName")->text(), QString("가게A"));
        QCOMPARE(save(ed, store, amount, discount), message.isEmpty());
    }
    if (deleteAfter)
        QVERIFY(PaymentService::DeletePayment(key).ok());
    QCOMPARE(prompter.lastText(), message.isEmpty() ? QString("자료가 저장되었습니다.") : message);
    QCOMPARE(balance("A"), balanceA);
    QCOMPARE(balance("B"), balanceB);
    checkBalances();
}

void TestPayments::failedPostingLeavesNothing()
{
    ScriptedPrompter prompter;
    qint64 key = 0;
    QVERIFY(PaymentService::InsertPayment({"A", "2026-12-09", 7000, 0, ""}, key).ok());
    // Every posting fails after its payment statement has run: nothing of any of the three stays.
    gMainConn.setFaultInjector([](const QString& sql) -> std::optional<ErrInfo> {
        if (sql.startsWith("UPDATE 가맹점"))
            return ErrInfo{DbErr::kUnspecified, QStringLiteral("disk I/O error")};
        return std::nullopt;
    });
    qint64 other = 0;
    QVERIFY(!PaymentService::InsertPayment({"B", "2026-12-09", 1000, 0, ""}, other).ok());
    QVERIFY(!PaymentService::UpdatePayment(key, {"B", "2026-12-09", 9000, 0, ""}).ok());
    QVERIFY(!PaymentService::DeletePayment(key).ok());
    gMainConn.setFaultInjector({});
    QCOMPARE(gMainConn.transactionDepth(), 0);
    QCOMPARE(GetFirstValue("SELECT 가맹점코드 & ':' & 입금액 FROM 입금").toString(), QString("A:7000"));
    QCOMPARE(CountRows("입금"), 1);
    QCOMPARE(balance("A"), 43000LL);
    QCOMPARE(balance("B"), 50000LL);
    // The posting's warning came after the rollback (the prompter fails a test on a box inside a write).
    QVERIFY(prompter.lastText().startsWith("가맹점의 수수료 계산 중 오류가 발생하여"));
}

void TestPayments::list()
{
    for (const char* sql :
         {"INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES ('A', '2026-12-08', 1000, "
          "100, '')",
          "INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES ('B', '2026-12-09', 2000, "
          "0, '')",
          "INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES ('A', '2026-12-09', 3000, "
          "300, '')"})
        QCOMPARE(ExecSQL(sql), 1);
    ScriptedPrompter prompter;
    FrmRecv_admin w;
    // Today only, then the period widened.
    QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->MaxRows(), 2);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(FrmRecv_admin::ColAmount, 1), QString("5000"));
    // Row 1 of the hidden columns 9 and 10 holds the sums; the menu caption keeps its blanks.
    QCOMPARE(QStringList({Ctl<SpreadGrid>(&w, "spList")->ColHeaderText(9),
                          Ctl<SpreadGrid>(&w, "spList")->ColHeaderText(10)}),
             QStringList({"입금합계", "할인합계"}));
    QVERIFY(Ctl<SpreadGrid>(&w, "spList")->ColHidden(9) && Ctl<SpreadGrid>(&w, "spList")->ColHidden(10));
    QCOMPARE(QStringList({Ctl<SpreadGrid>(&w, "spList")->CellText(9, 1),
                          Ctl<SpreadGrid>(&w, "spList")->CellText(10, 1)}),
             QStringList({"5000", "300"}));
    QCOMPARE(Ctl<QMenu>(&w, "mnutool")->title(), QString("  도구(&T)  "));
    Ctl<QDateEdit>(&w, "hdTerm", 0)->setDate(QDate(2026, 12, 1));
    QCOMPARE(w.Search(), 3);
    // Added through the editor with keep-adding: each save appends a row and the totals follow.
    SetModalHandler([](QDialog* d) {
        auto* ed = qobject_cast<FrmRecv_save*>(d);
        if (ed && ed->chkContinueAdd()->isChecked()) {
            save(*ed, "B", "4,000", "0");
            save(*ed, "A", "500", "50");
        }
        return 0;
    });
    w.AddRecord();
    QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->MaxRows(), 5);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(FrmRecv_admin::ColAmount, 1), QString("10500"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(FrmRecv_admin::ColDiscount, 1), QString("450"));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->CellText(FrmRecv_admin::ColName, 5), QString("가게A"));
    // Deleted with F4's question; the totals follow.
    Ctl<SpreadGrid>(&w, "spList")->SetActiveCell(1, 1);
    prompter.answer(MsgAnswer::Yes);
    w.DeleteRecord();
    QCOMPARE(prompter.lastText(), QString("자료를 삭제하였습니다."));
    QCOMPARE(Ctl<SpreadGrid>(&w, "spTotal")->CellText(FrmRecv_admin::ColAmount, 1), QString("9500"));
    QCOMPARE(prompter.unexpected(), 0);
}

void TestPayments::storeSearch_data()
{
    QTest::addColumn<bool>("editor");
    QTest::addColumn<QString>("typed");
    // The store chosen in the picker ("" when it is not shown).
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("store");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("message");
    const QString none = "검색한 가맹점이 등록되어 있지 않습니다.";
    QTest::newRow("list, empty box: every store to choose from") << false << ""
                                                                 << "B"
                                                                 << "B"
                                                                 << "가게B"
                                                                 << "";
    QTest::newRow("list, one match taken") << false << "b"
                                           << ""
                                           << "B"
                                           << "가게B"
                                           << "";
    QTest::newRow("list, none found: no registration") << false << "없음"
                                                       << ""
                                                       << ""
                                                       << "없음" << none;
    QTest::newRow("editor, empty field") << true << ""
                                         << "A"
                                         << "A"
                                         << "가게A"
                                         << "";
    QTest::newRow("editor, none found") << true << "없음"
                                        << ""
                                        << ""
                                        << "" << none;
}

void TestPayments::storeSearch()
{
    QFETCH(bool, editor);
    QFETCH(QString, typed);
    QFETCH(QString, chosen);
    QFETCH(QString, message);
    QCOMPARE(
        ExecSQL("INSERT INTO 입금 (가맹점코드, 입금일자, 입금액, 할인액, 메모) VALUES ('A', '2026-12-09', "
                "1000, 0, '')"),
        1);
    RegisterStoreScreens();
    ScriptedPrompter prompter;
    // The main window's top panel, under which the picker opens.
    QWidget main;
    main.setObjectName("FrmMain");
    auto* panel = new QFrame(&main);
    panel->setObjectName("pnlTop");
    panel->setGeometry(20, 30, 400, 40);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QPoint anchor = panel->mapToGlobal(QPoint(0, panel->height()));
    QStringList picked;
    SetModalHandler([&](QDialog* d) {
        auto* picker = qobject_cast<FrmMemb_sel*>(d);
        if (!picker)
            return int(QDialog::Rejected);
        picked << (picker->pos() == anchor ? "under the main panel" : "elsewhere");
        picker->Refresh_Sheet();
        for (int r = 1; r <= Ctl<SpreadGrid>(picker, "spList")->MaxRows(); ++r) {
            if (Ctl<SpreadGrid>(picker, "spList")->CellText(FrmMemb_sel::ColCode, r) == chosen)
                Ctl<SpreadGrid>(picker, "spList")->SetActiveCell(1, r);
        }
        picker->SelectActive();
        return picker->result().isEmpty() ? int(QDialog::Rejected) : int(QDialog::Accepted);
    });
    QString store, shown;
    if (editor) {
        FrmRecv_save ed;
        ed.Init(EditorMode::Add, nullptr, QString());
        Ctl<QLineEdit>(&ed, "htField", FrmRecv_save::FldStore)->setText(typed);
        QTest::keyClick(Ctl<QLineEdit>(&ed, "htField", FrmRecv_save::FldStore), Qt::Key_Return);
        store = ed.FieldText(FrmRecv_save::FldStore);
        shown = Ctl<QLabel>(&ed, "lblMName")->text();
        if (chosen.isEmpty() && !message.isEmpty())
            QCOMPARE(store, typed);
        store = shown.isEmpty() ? QString() : store;
    } else {
        FrmRecv_admin w;
        QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->MaxRows(), 1);
        Ctl<QLineEdit>(&w, "htName")->setText(typed);
        QTest::keyClick(Ctl<QLineEdit>(&w, "htName"), Qt::Key_Return);
        store = w.selectedStore();
        shown = Ctl<QLineEdit>(&w, "htName")->text();
        // The list follows only on 조회.
        QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->MaxRows(), 1);
        // A chosen store stays chosen: Enter again asks nothing.
        if (!store.isEmpty())
            QTest::keyClick(Ctl<QLineEdit>(&w, "htName"), Qt::Key_Return);
    }
    QTEST(store, "store");
    QTEST(shown, "shown");
    QCOMPARE(picked, chosen.isEmpty() ? QStringList() : QStringList{"under the main panel"});
    QCOMPARE(prompter.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(prompter.unexpected(), 0);
}

QTEST_MAIN(TestPayments)
#include "tst_payments.moc"
