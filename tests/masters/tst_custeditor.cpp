#include "app/Globals.h"
#include "db/CustomerPhoneIndex.h"
#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "masters/CustomerService.h"
#include "masters/gui/FrmCust_save.h"
#include "support/Controls.h"
#include "support/DbFixture.h"
#include "support/ScriptedPrompter.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/RecordScreens.h"

#include <QCheckBox>
#include <QInputMethodEvent>
#include <QSqlQuery>
#include <QTest>

namespace {
// An opener that records what the editor reports back.
class SyncRecorder : public QWidget, public EditorSyncTarget
{
public:
    QList<int> modes;
    QStringList codes;
    void SyncUpdateCust(RecordEditor* editor, EditorMode mode) override
    {
        modes << int(mode);
        codes << static_cast<FrmCust_save*>(editor)->FieldText(FrmCust_save::FCode);
    }
};

// Types as an operator would: ASCII as key presses, Hangul as text committed by the input method.
void typeText(QLineEdit* edit, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClick(edit, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QCoreApplication::sendEvent(edit, &commit);
        }
    }
}

QString stored(const QString& code, const QString& column)
{
    return NullToStr(GetFirstValue("SELECT " + column + " FROM 고객 WHERE 코드 = '" + SQLQuote(code) + "'"));
}
} // namespace

// The customer editor on a real installation: codes, questions, points, byte limits and typed values.
class TestCustEditor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void byteLimits_data();
    void byteLimits();
    void insertCodesAndCanonicalPhones();
    void emptyAddressAsks();
    void duplicateTelephone();
    void openingPointsMoveCurrentPoints();
    void typedNumbers_data();
    void typedNumbers();
    void quotesAreStoredAsTyped();
    void continueAddReportsEachInsert();
    void deletedCustomerSavesNothing();
    void postalSearch();
    void serviceCommitsOrRollsBack_data();
    void serviceCommitsOrRollsBack();

private:
    void addCustomer(const QString& code, const QString& tel1, const QString& tel3, int base, int current);
    DbFixture* m_db = nullptr;
};

void TestCustEditor::init()
{
    m_db = new DbFixture;
    QString error;
    QVERIFY2(ApplyCustomerPhoneIndex(gMainConn, &error), qPrintable(error));
    gTerminalID = "1";
}

void TestCustEditor::cleanup()
{
    SetModalHandler({});
    delete m_db;
    m_db = nullptr;
    gTerminalID = "0";
}

void TestCustEditor::addCustomer(const QString& code, const QString& tel1, const QString& tel3, int base,
                                 int current)
{
    QCOMPARE(
        ExecSQL(
            QString("INSERT INTO 고객 (코드, 전화1, 전화2, 전화3, 전화4, 우편번호, 주소1, 주소2, 현포인트, "
                    "기초포인트, 메모) VALUES ('%1', '%2', '', '%3', '', '110-030', '서울 종로구', '1번지', "
                    "%4, %5, '')")
                .arg(code, tel1, tel3)
                .arg(current)
                .arg(base)),
        1);
}

void TestCustEditor::byteLimits_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("telephone 14") << int(FrmCust_save::FTel1) << "0212345678901234"
                                  << "02123456789012";
    QTest::newRow("address 60 in Hangul")
        << int(FrmCust_save::FAddr1) << QString(35, QChar(u'가')) << QString(30, QChar(u'가'));
    QTest::newRow("street 40, mixed")
        << int(FrmCust_save::FAddr2) << "1" + QString(25, QChar(u'번')) << "1" + QString(19, QChar(u'번'));
    QTest::newRow("memo 50") << int(FrmCust_save::FMemo) << QString(30, QChar(u'메'))
                             << QString(25, QChar(u'메'));
}

void TestCustEditor::byteLimits()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    FrmCust_save ed;
    ed.Init(EditorMode::Add, nullptr, {});
    ed.show();
    QVERIFY(QTest::qWaitForWindowActive(&ed));
    Ctl<QLineEdit>(&ed, "htField", field)->setFocus();
    QVERIFY(Ctl<QLineEdit>(&ed, "htField", field)->hasFocus());
    typeText(Ctl<QLineEdit>(&ed, "htField", field), typed);
    QCOMPARE(ed.FieldText(field), kept);
}

void TestCustEditor::insertCodesAndCanonicalPhones()
{
    ScriptedPrompter prompter;
    for (const char* terminal : {"1", "1", "2"}) {
        gTerminalID = terminal;
        FrmCust_save ed;
        ed.Init(EditorMode::Add, nullptr, "0212345678");
        QCOMPARE(ed.FieldText(FrmCust_save::FTel1), QString("02-1234-5678"));
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FTel1)
            ->setText(QString("031111%1").arg(prompter.count() + 1000));
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FAddr1)->setText("서울 종로구 삼청동");
        QVERIFY(ed.Save());
    }
    QCOMPARE(
        GetFirstValue("SELECT COUNT(*) FROM 고객 WHERE 코드 IN ('10000001', '10000002', '20000001')").toInt(),
        3);
    QCOMPARE(stored("10000001", "전화1"), QString("031-111-1000"));
    QCOMPARE(stored("10000001", "현포인트"), QString("0"));

    gTerminalID = "1";
    FrmCust_save ed;
    ed.Init(EditorMode::Add, nullptr, "");
    QTest::keyClicks(Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FTel1), "0299998888");
    Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FAddr1)->setText("주소");
    QTest::keyClick(Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FTel1), Qt::Key_F2);
    QCOMPARE(ed.result(), int(QDialog::Accepted));
    QCOMPARE(ed.AddedRec(), QString("10000003") + QChar(0) + "02-9999-8888");
    QCOMPARE(stored("10000003", "전화1"), QString("02-9999-8888"));
    QCOMPARE(prompter.unexpected(), 0);
}

void TestCustEditor::emptyAddressAsks()
{
    ScriptedPrompter prompter;
    FrmCust_save ed;
    ed.Init(EditorMode::Add, nullptr, "0212345678");
    Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FPost)->setText("110-030");
    prompter.answer(MsgAnswer::No);
    QVERIFY(!ed.Save());
    QCOMPARE(prompter.lastText(), QString("주소가 입력되지 않았습니다. 그래도, 저장하시겠습니까?"));
    QCOMPARE(prompter.shown().last().request.defaultAnswer, MsgAnswer::Yes);
    QCOMPARE(CountRows("고객"), 0);
    prompter.answer(MsgAnswer::Yes);
    QVERIFY(ed.Save());
    QCOMPARE(stored("10000001", "주소1"), QString());
    QCOMPARE(stored("10000001", "주소2"), QString());

    // Without a telephone number nothing is asked and nothing written.
    FrmCust_save empty;
    empty.Init(EditorMode::Add, nullptr, "");
    prompter.clear();
    QVERIFY(!empty.Save());
    QCOMPARE(prompter.lastText(), QString("[전화번호]은(는) 필수 입력 사항입니다."));
    QCOMPARE(CountRows("고객"), 1);
}

void TestCustEditor::duplicateTelephone()
{
    addCustomer("10000001", "02-111-2222", "02-555-6666", 0, 0);
    ScriptedPrompter prompter;
    {
        FrmCust_save ed;
        ed.Init(EditorMode::Add, nullptr, "025556666"); // typed raw, stored dashed: still a duplicate
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FAddr1)->setText("다른 주소");
        prompter.answer(MsgAnswer::No);
        QVERIFY(!ed.Save());
        QCOMPARE(prompter.lastTitle(), QString("동일 전화번호 발견"));
        QCOMPARE(prompter.lastText(),
                 QString("『02-555-6666』는 이미 등록된 전화번호입니다.\r\n\r\n그래도, 등록하시겠습니까?"));
        QCOMPARE(CountRows("고객"), 1);
    }
    {
        // A customer's own numbers and address never count against it.
        prompter.clear();
        FrmCust_save ed;
        ed.Init(EditorMode::Edit, nullptr, "10000001");
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FMemo)->setText("단골");
        QVERIFY(ed.Save());
        QCOMPARE(prompter.count(), 1); // only the floating notice
        QVERIFY(prompter.shown().first().isNotice);
        QCOMPARE(stored("10000001", "메모"), QString("단골"));
    }
    {
        prompter.clear();
        FrmCust_save ed;
        ed.Init(EditorMode::Add, nullptr, "0277778888");
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FAddr1)->setText("서울 종로구");
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FAddr2)->setText("1번지");
        prompter.answer(MsgAnswer::No);
        QVERIFY(!ed.Save());
        QCOMPARE(prompter.lastTitle(), QString("동일 주소 발견"));
    }
}

void TestCustEditor::openingPointsMoveCurrentPoints()
{
    addCustomer("10000001", "02-111-2222", "", 100, 420);
    ScriptedPrompter prompter;
    FrmCust_save ed;
    ed.Init(EditorMode::Edit, nullptr, "10000001");
    QCOMPARE(ed.windowTitle(), QString("고객 - 『수정』"));
    QCOMPARE(ed.FieldText(FrmCust_save::FCurPoints), QString("420"));
    Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FBasePoints)->setText("150");
    QVERIFY(ed.Save());
    QCOMPARE(stored("10000001", "현포인트"), QString("470"));
    QCOMPARE(stored("10000001", "기초포인트"), QString("150"));
    QCOMPARE(ed.FieldText(FrmCust_save::FCurPoints), QString("470"));
}

void TestCustEditor::typedNumbers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("base");
    QTest::newRow("thousands") << "1,500" << true << "1500";
    QTest::newRow("empty is zero") << "" << true << "0";
    QTest::newRow("negative") << "-20" << true << "-20";
    QTest::newRow("letters") << "1,5x" << false << "";
    QTest::newRow("fraction") << "1.5" << false << "";
    QTest::newRow("text") << "abc" << false << "";
}

void TestCustEditor::typedNumbers()
{
    QFETCH(QString, typed);
    QFETCH(bool, saved);
    QFETCH(QString, base);
    ScriptedPrompter prompter;
    FrmCust_save ed;
    ed.Init(EditorMode::Add, nullptr, "0212345678");
    Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FAddr1)->setText("주소");
    Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FBasePoints)->setText(typed);
    QCOMPARE(ed.Save(), saved);
    if (saved) {
        QCOMPARE(stored("10000001", "기초포인트"), base);
        QCOMPARE(stored("10000001", "현포인트"), base);
    } else {
        QCOMPARE(prompter.lastText(), QString("[기초포인트]에는 숫자(정수)만 입력할 수 있습니다."));
        QCOMPARE(CountRows("고객"), 0);
    }
}

void TestCustEditor::quotesAreStoredAsTyped()
{
    ScriptedPrompter prompter;
    const QString addr1 = "O'Brien's 빌딩";
    const QString addr2 = "3'층";
    const QString memo = "it's '급함'";
    {
        FrmCust_save ed;
        ed.Init(EditorMode::Add, nullptr, "0212345678");
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FAddr1)->setText(addr1);
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FAddr2)->setText(addr2);
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FMemo)->setText(memo);
        QVERIFY(ed.Save());
    }
    QCOMPARE(stored("10000001", "주소1"), addr1);
    QCOMPARE(stored("10000001", "메모"), memo);
    {
        FrmCust_save ed;
        ed.Init(EditorMode::Edit, nullptr, "10000001");
        QCOMPARE(ed.FieldText(FrmCust_save::FAddr2), addr2);
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FMemo)->setText(memo + "'");
        QVERIFY(ed.Save()); // the address check with quotes finds only this customer
    }
    QCOMPARE(stored("10000001", "메모"), memo + "'");
    QCOMPARE(prompter.unexpected(), 0);
}

void TestCustEditor::continueAddReportsEachInsert()
{
    ScriptedPrompter prompter;
    SyncRecorder opener;
    FrmCust_save ed;
    ed.Init(EditorMode::Add, &opener, "");
    ed.chkContinueAdd()->setVisible(true);
    ed.chkContinueAdd()->setChecked(true);
    for (const char* tel : {"0211112222", "0233334444"}) {
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FTel1)->setText(tel);
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FAddr1)->setText("주소");
        Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FBasePoints)->setText("10");
        QVERIFY(ed.Save());
        QCOMPARE(ed.result(), int(QDialog::Rejected)); // still open
        QCOMPARE(ed.FieldText(FrmCust_save::FTel1), QString());
        QCOMPARE(ed.FieldText(FrmCust_save::FBasePoints), QString("0"));
    }
    QCOMPARE(opener.modes, (QList<int>{1, 1}));
    QCOMPARE(opener.codes, (QStringList{"10000001", "10000002"}));
    QCOMPARE(ed.AddedRec(), QString("10000002") + QChar(0) + "02-3333-4444");
    QCOMPARE(prompter.texts().count("자료가 저장되었습니다."), 2);
}

void TestCustEditor::deletedCustomerSavesNothing()
{
    ScriptedPrompter prompter;
    FrmCust_save ed;
    ed.Init(EditorMode::Edit, nullptr, "19999999");
    QCOMPARE(ed.FieldText(FrmCust_save::FCode), QString());
    Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FTel1)->setText("0212345678");
    Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FAddr1)->setText("주소");
    QVERIFY(!ed.Save());
    QCOMPARE(prompter.lastText(), QString("수정된 내용이 없거나, 자료저장을 실패하였습니다."));
}

void TestCustEditor::postalSearch()
{
    {
        DbConnection post;
        ErrInfo e;
        QVERIFY(post.open(AppPaths::ProgramPath(Schema::kPostFile), false, &e));
        QVERIFY(post.exec("DELETE FROM Post").ok);
        QVERIFY(post.exec("INSERT INTO Post VALUES ('110030', '서울특별시', '종로구', '삼청동', '1~9')").ok);
    }
    ScriptedPrompter prompter;
    FrmCust_save ed;
    ed.Init(EditorMode::Add, nullptr, "");
    Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FPost)->setText("삼청동");
    QTest::keyClick(Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FPost), Qt::Key_Return);
    QCOMPARE(ed.FieldText(FrmCust_save::FPost), QString("110-030"));
    QCOMPARE(ed.FieldText(FrmCust_save::FAddr1), QString("서울특별시 종로구 삼청동"));
    // Any change of the postal code drops the address that belonged to it.
    Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FPost)->setText("없는동");
    QCOMPARE(ed.FieldText(FrmCust_save::FAddr1), QString());
    QTest::keyClick(Ctl<QLineEdit>(&ed, "htField", FrmCust_save::FPost), Qt::Key_Return);
    QCOMPARE(prompter.lastText(), QString("해당하는 주소가 검색되지 않습니다."));
    QCOMPARE(ed.FieldText(FrmCust_save::FPost), QString());
}

void TestCustEditor::serviceCommitsOrRollsBack_data()
{
    QTest::addColumn<QString>("write");
    QTest::addColumn<QString>("failing"); // the beginning of the statement made to fail, "" for none
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("after"); // customers, then 기초포인트:현포인트 of 10000001
    QTest::newRow("insert") << "insert"
                            << "" << true << "2 100:150";
    QTest::newRow("insert refused") << "insert"
                                    << "INSERT INTO 고객" << false << "1 100:150";
    QTest::newRow("insert, next code unread") << "insert"
                                              << "SELECT MAX(코드)" << false << "1 100:150";
    QTest::newRow("update re-bases the points") << "update"
                                                << "" << true << "1 300:350";
    QTest::newRow("update refused") << "update"
                                    << "UPDATE 고객" << false << "1 100:150";
    QTest::newRow("delete") << "delete"
                            << "" << true << "0 :";
    QTest::newRow("delete refused") << "delete"
                                    << "DELETE FROM 고객" << false << "1 100:150";
}

void TestCustEditor::serviceCommitsOrRollsBack()
{
    QFETCH(QString, write);
    QFETCH(QString, failing);
    QFETCH(bool, ok);
    QFETCH(QString, after);
    addCustomer("10000001", "02-111-2222", "", 100, 150);
    ScriptedPrompter prompter; // fails the test on a message while the write holds the lock
    gMainConn.setFaultInjector([&](const QString& sql) -> std::optional<ErrInfo> {
        if (!failing.isEmpty() && sql.startsWith(failing))
            return ErrInfo{DbErr::kSyntax, QStringLiteral("disk I/O error")};
        return std::nullopt;
    });
    CustomerRecord c = *CustomerRecord::Load("10000001");
    c.basePoints = 300;
    bool done = false;
    try {
        if (write == "insert") {
            c.tel[0] = "02-333-4444";
            done = CustomerService::InsertCustomer(c, "1").ok();
        } else if (write == "update") {
            done = CustomerService::UpdateCustomer(c).ok();
        } else {
            done = CustomerService::DeleteCustomer(c.code).ok();
        }
    } catch (const DbException&) {
    }
    gMainConn.setFaultInjector({});
    QCOMPARE(done, ok);
    QCOMPARE(gMainConn.transactionDepth(), 0);
    QCOMPARE(QString::number(CountRows("고객")) + ' ' + stored("10000001", "기초포인트") + ':' +
                 stored("10000001", "현포인트"),
             after);
    QCOMPARE(prompter.unexpected(), 0);
}

QTEST_MAIN(TestCustEditor)
#include "tst_custeditor.moc"
