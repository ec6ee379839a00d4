#include "app/AppLog.h"
#include "db/DbError.h"
#include "support/ScriptedPrompter.h"
#include "ui/MsgBox.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestMsgBox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formatMessage_data();
    void formatMessage();
    void questionsDefaultAndTitle();
    void errorTexts();
    void engineErrorBoxes_data();
    void engineErrorBoxes();
};

void TestMsgBox::formatMessage_data()
{
    QTest::addColumn<QString>("templ");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one value leaves %1") << "a%0b%0c%1" << QVariantList{"X"} << "aXbXc%1";
    QTest::newRow("two values") << "코드『%0』 %1" << QVariantList{"123", 4} << "코드『123』 4";
    QTest::newRow("%1 before %10") << "%10" << QVariantList{"a", "b"} << "b0";
    QTest::newRow("no values") << "%0" << QVariantList{} << "%0";
}

void TestMsgBox::formatMessage()
{
    QFETCH(QString, templ);
    QFETCH(QVariantList, values);
    QFETCH(QString, expected);
    QCOMPARE(FormatMessage(templ, values), expected);
}

void TestMsgBox::questionsDefaultAndTitle()
{
    ScriptedPrompter p;
    p.answer(MsgAnswer::Yes);
    QCOMPARE(AskYesNo(QStringLiteral("q"), QString(), false), MsgAnswer::Yes);
    QCOMPARE(p.shown().last().request.defaultAnswer, MsgAnswer::No);
    QCOMPARE(p.lastTitle(), AppTitle());
    // Nothing scripted: the default button's answer, counted as unexpected.
    QCOMPARE(AskYesNo(QStringLiteral("q2"), QStringLiteral("t"), true), MsgAnswer::Yes);
    QCOMPARE(p.unexpected(), 1);
    QCOMPARE(p.lastTitle(), QStringLiteral("t"));
}

void TestMsgBox::errorTexts()
{
    ScriptedPrompter p;
    QCOMPARE(StandardErrorText({5, QStringLiteral("x")}, QStringLiteral("InitApp"), QStringLiteral("MduMain")),
             QStringLiteral("Error 5 (x) in procedure InitApp of Module MduMain"));
    QCOMPARE(StandardErrorText({5, QStringLiteral("x")}, QStringLiteral("Form_Load"), QStringLiteral("FrmMain"),
                               ErrOwner::Form),
             QStringLiteral("Error 5 (x) in procedure Form_Load of Form FrmMain"));
    // The standard text stays, for whoever reads the log or a screenshot, after the Korean lines.
    ShowStdError({5, QStringLiteral("x")}, QStringLiteral("InitApp"), QStringLiteral("MduMain"));
    QCOMPARE(p.lastTitle(), QStringLiteral("오류"));
    QCOMPARE(p.lastText(), QStringLiteral("프로그램 수행도중 오류가 발생했습니다. 다시 해 보고, 계속되면 관리자에게 "
                                          "알리세요.\r\n오류번호 : 5\r\n오류내용 : x\r\n"
                                          "Error 5 (x) in procedure InitApp of Module MduMain"));
}

// Engine, archive and system errors: the first line says what failed and what to do, the description is
// Korean where the error is known (by the engine's code first, its words otherwise), the error's own words
// follow; title Korean; the log holds the cause in full.
void TestMsgBox::engineErrorBoxes_data()
{
    QTest::addColumn<qint64>("number");
    QTest::addColumn<QString>("native");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("expected");
    const QString failed = QStringLiteral("자료를 읽지 못했습니다. ");
    const QString no = QStringLiteral("\r\n오류번호 : -2147467259\r\n오류내용 : ");
    const QString later = QStringLiteral("잠시 후 다시 하고, 계속되면 서버 관리자에게 알리세요.");
    const qint64 n = DbErr::kUnspecified;
    QTest::newRow("server restarted") << n << "57P01" << "FATAL:  terminating connection due to administrator command"
                                      << failed + later + no +
                                             "서버 관리자가 데이터베이스 서버를 다시 시작하거나 멈추어 연결이 "
                                             "끊어졌습니다.\r\nFATAL:  terminating connection due to administrator "
                                             "command";
    QTest::newRow("a Korean server's words") << n << "57P01" << "치명적오류:  관리자 명령으로 연결을 끝냅니다"
                                             << failed + later + no +
                                                    "서버 관리자가 데이터베이스 서버를 다시 시작하거나 멈추어 연결이 "
                                                    "끊어졌습니다.\r\n치명적오류:  관리자 명령으로 연결을 끝냅니다";
    QTest::newRow("connection gone, words only")
        << n << "" << "server closed the connection unexpectedly"
        << failed + later + no + "데이터베이스 서버와의 연결이 끊어졌습니다.\r\nserver closed the connection unexpectedly";
    QTest::newRow("damaged file") << n << "11" << "database disk image is malformed Unable to execute statement"
                                  << failed +
                                         "프로그램을 끝내고 관리자에게 알리세요. 최근 백업은 파일 메뉴의 '데이터 "
                                         "가져오기'로 복구할 수 있습니다." +
                                         no +
                                         "데이터베이스 파일이 손상되었습니다.\r\ndatabase disk image is malformed "
                                         "Unable to execute statement";
    QTest::newRow("damaged archive") << qint64(0) << "" << "ZIP decompression failed (-5)"
                                     << failed + "다른 백업 파일을 골라 다시 하세요.\r\n오류내용 : 압축 파일이 "
                                                 "손상되었거나 끝까지 쓰이지 않았습니다.\r\nZIP decompression failed (-5)";
    QTest::newRow("other seat writing") << DbErr::kLocked << "5" << "database is locked"
                                        << failed + "잠시 후 다시 하세요.\r\n오류번호 : " +
                                               QString::number(DbErr::kLocked) +
                                               "\r\n오류내용 : 다른 자리에서 같은 자료를 쓰고 있어 처리하지 "
                                               "못했습니다.\r\ndatabase is locked";
    QTest::newRow("same key") << n << "2067" << "UNIQUE constraint failed: 고객.코드"
                              << failed + "목록을 새로 읽은 뒤 다시 하세요." + no +
                                     "같은 번호의 자료가 이미 있습니다.\r\nUNIQUE constraint failed: 고객.코드";
    QTest::newRow("server refuses a delete")
        << n << "23503" << "update or delete on table violates foreign key constraint"
        << failed + "연결된 자료(주문, 입금 등)를 먼저 정리한 뒤 다시 하세요." + no +
               "다른 자료가 이 자료를 가리키고 있어 처리할 수 없습니다.\r\nupdate or delete on table violates "
               "foreign key constraint";
    QTest::newRow("read-only after a failover")
        << n << "25006" << "cannot execute UPDATE in a read-only transaction"
        << failed + "파일과 폴더의 쓰기 권한을 확인하거나 관리자에게 알리세요." + no +
               "데이터베이스가 읽기 전용이어서 자료를 쓸 수 없습니다.\r\ncannot execute UPDATE in a read-only "
               "transaction";
    QTest::newRow("server unreachable, Korean first line")
        << n << "" << "데이터베이스 서버에 연결할 수 없습니다.\n원인: Connection refused"
        << failed + "서버가 켜져 있는지, 네트워크 설정의 서버 주소가 맞는지 확인한 뒤 다시 하세요." + no +
               "데이터베이스 서버에 연결할 수 없습니다.\r\n원인: Connection refused";
    QTest::newRow("server's socket missing")
        << n << ""
        << "connection to server on socket \"/tmp/s/.s.PGSQL.5439\" failed: No such file or directory"
        << failed + "서버가 켜져 있는지, 네트워크 설정의 서버 주소가 맞는지 확인한 뒤 다시 하세요." + no +
               "데이터베이스 서버에 연결할 수 없습니다.\r\nconnection to server on socket \"/tmp/s/.s.PGSQL.5439\" "
               "failed: No such file or directory";
    QTest::newRow("unknown words") << qint64(3021) << "" << "desc"
                                   << failed + "다시 해 보고, 계속되면 관리자에게 알리세요.\r\n오류번호 : 3021\r\n"
                                               "오류내용 : desc";
    QTest::newRow("the program's own refusal") << qint64(0) << "" << "이 칸은 수정할 수 없습니다."
                                               << "자료를 읽지 못했습니다.\r\n오류내용 : 이 칸은 수정할 수 없습니다.";
}

void TestMsgBox::engineErrorBoxes()
{
    QFETCH(qint64, number);
    QFETCH(QString, native);
    QFETCH(QString, raw);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    AppLog::Start(dir.path());
    ScriptedPrompter p;
    const ErrInfo error{number, raw, native};
    QVERIFY(!ShowEngineError(QStringLiteral("자료를 읽지 못했습니다."), error, {}, QStringLiteral("SELECT 1")));
    AppLog::Stop();
    QCOMPARE(p.count(), 1);
    QCOMPARE(p.lastTitle(), QStringLiteral("오류"));
    QCOMPARE(p.shown().last().request.icon, MsgIcon::Warning);
    QCOMPARE(p.lastText(), expected);
    // Every error box is in the log with its cause: the engine's words and the statement.
    QFile log(dir.filePath(QStringLiteral("zelkova.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString logged = QString::fromUtf8(log.readAll());
    QVERIFY2(logged.contains(QString(raw).replace(QLatin1Char('\n'), QStringLiteral(" | "))), qPrintable(logged));
    QVERIFY(logged.contains(QStringLiteral("SELECT 1")));
    // ShowErrorInfo is the same box under "오류" with the context as what failed.
    ShowErrorInfo(QStringLiteral("자료를 읽지 못했습니다."), error);
    QCOMPARE(p.lastText(), expected);
}

QTEST_GUILESS_MAIN(TestMsgBox)
#include "tst_msgbox.moc"
