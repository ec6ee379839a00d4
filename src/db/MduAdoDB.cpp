#include "db/MduAdoDB.h"

#include "db/DbError.h"
#include "ui/MsgBox.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

DbConnection gMainConn;
DbConnection gReportConn;

namespace {
AddressOpener& addressOpener()
{
    static AddressOpener opener;
    return opener;
}

// Only the shared database counts: the seat's own report database keeps no other seat waiting.
const bool g_probeInstalled = [] {
    SetWriteTransactionProbe([] { return gMainConn.transactionDepth() > 0; });
    return true;
}();
} // namespace

const QString kMainDbPassword = QStringLiteral("qz4815");
const QString kDataAccessDownloadUrl = QStringLiteral("https://www.sqlite.org/download.html");

void SetAddressOpener(AddressOpener opener)
{
    addressOpener() = std::move(opener);
}

bool OpenConnection(DbConnection& conn, const QString& filePath, const QString& password, bool readOnly)
{
    Q_UNUSED(password);
    ErrInfo error;
    if (conn.open(filePath, readOnly, &error))
        return true;
    // The connection already says which server, which port and why, in one message; no download helps.
    if (DbConnection::IsServerAddress(filePath)) {
        ShowEngineError(QStringLiteral("데이터베이스 서버에 연결하지 못했습니다."), error,
                        QStringLiteral("서버 연결 오류"), filePath);
        return false;
    }
    ShowEngineError(QStringLiteral("DB 연결 실패: 데이터베이스를 열지 못했습니다."), error,
                    QStringLiteral("오류"), filePath);
    // The download offer only helps when the database driver itself is missing.
    if (QSqlDatabase::isDriverAvailable(conn.dialect().driverName()))
        return false;
    const MsgAnswer a = AskYesNo(
        QStringLiteral("MDAC(Microsoft Data Access Components)가 설치 되어 있지 않습니다. ") + kCrLf +
            QStringLiteral(
                "당사 홈페이지 자료실 8번[데이타전송/임대회원용 설치파일]에서 다운로드하여 설치하세요.") +
            kCrLf + QStringLiteral("지금 다운로드 하시겠습니까?"),
        QStringLiteral("MDAC누락"), false);
    if (a == MsgAnswer::Yes && addressOpener())
        addressOpener()(kDataAccessDownloadUrl);
    return false;
}

void TellReadError(DbConnection& conn, const ErrInfo& error, const QString& sql)
{
    if (error.number == DbErr::kConnectionLost) {
        // Said in Korean without the statement; inside a unit of work the unit's retry tells what became of
        // it.
        const QString text = error.description;
        conn.whenUnlocked([text] { ShowWarning(text, QStringLiteral("서버 연결")); });
    } else if (error.number == DbErr::kUnusableText) {
        ShowInfo(error.description, QStringLiteral("입력 오류"));
    } else if (error.number == 91) {
        ShowEngineError(QStringLiteral("Data Base MDB가 선언되지 않았습니다."), error,
                        QStringLiteral("MDB 오류"), sql);
    } else {
        // The statement goes to the log; the operator reads what failed and what to do.
        ShowEngineError(QStringLiteral("자료를 읽지 못했습니다."), error, QStringLiteral("자료 조회 오류"),
                        sql);
    }
}

bool OpenRecordset(DbConnection& conn, Recordset& rs, const QString& sql, int, int, int)
{
    return OpenRecordset(conn, rs, sql, QVariantList{});
}

bool OpenRecordset(DbConnection& conn, Recordset& rs, const QString& sql, const QVariantList& values)
{
    rs.close();
    QSqlQuery q;
    ErrInfo error;
    for (int round = 0;; ++round) {
        if (!conn.query(sql, values, q, &error))
            break;
        rs.load(q);
        if (!q.lastError().isValid())
            return true;
        // The rows stopped coming: a server's connection broke off in the middle of them.
        rs.close();
        if (!conn.readFailed(q.lastError(), &error) || round > 0)
            break;
    }
    TellReadError(conn, error, sql);
    return false;
}

void CloseObject(DbConnection& conn)
{
    conn.close();
}

void CloseObject(Recordset& rs)
{
    rs.close();
}
