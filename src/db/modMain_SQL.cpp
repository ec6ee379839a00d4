#include "db/modMain_SQL.h"

#include "db/DbError.h"
#include "db/modDBQuery.h"
#include "ui/MsgBox.h"

namespace {
AuthorityGate g_authorityGate;
const QString kModule = QStringLiteral("modMain_SQL");
const QString kRunError = QStringLiteral("프로그램 수행도중 오류가 발생했습니다.");
} // namespace

bool PassAuthority(const QString& formName, const QString& formDescription, int defaultLevel)
{
    // The name column compares without regard to letter case, so "FRMOPTIONS" finds "frmOptions". The name
    // is not upper-cased here: the column folds only Latin letters, and a name it cannot fold back would
    // never be found again, its row added anew at every opening.
    Recordset rs;
    if (!OpenRecordset(gMainConn, rs,
                       QStringLiteral("SELECT * FROM 보안설정 WHERE 폼이름 = '") + SQLQuote(formName) +
                           QLatin1Char('\''),
                       adOpenStatic, adLockOptimistic))
        return false;
    int level = defaultLevel;
    if (rs.RecordCount() == 0) {
        const int n =
            ExecSQL(QStringLiteral("INSERT INTO 보안설정 (폼이름, 폼설명, 사용권한, 메모) VALUES ('") +
                    SQLQuote(formName) + QStringLiteral("', '") + SQLQuote(formDescription) +
                    QStringLiteral("', ") + QString::number(defaultLevel) + QStringLiteral(", '')"));
        if (n < 0)
            return false;
    } else {
        level = rs.value(QStringLiteral("사용권한")).toInt();
        if (rs.text(QStringLiteral("폼설명")) != formDescription) {
            ExecSQL(QStringLiteral("UPDATE 보안설정 SET 폼설명 = '") + SQLQuote(formDescription) +
                    QStringLiteral("' WHERE 폼이름 = '") + SQLQuote(rs.text(QStringLiteral("폼이름"))) +
                    QLatin1Char('\''));
        }
    }
    if (level == 0)
        return true;
    return g_authorityGate ? g_authorityGate() : false;
}

void SetAuthorityGate(AuthorityGate gate)
{
    g_authorityGate = std::move(gate);
}

QString GetConfig(const QString& name, const QString& defaultValue)
{
    return ReadConfig(name, defaultValue).value_or(defaultValue);
}

static std::optional<QString> readConfig(const QString& name, const QString& defaultValue, bool insertMissing)
{
    try {
        Recordset rs;
        if (!OpenRecordset(gMainConn, rs,
                           QStringLiteral("SELECT 설정값 FROM 환경설정 WHERE 구분 = '") + SQLQuote(name) +
                               QLatin1Char('\'')))
            return std::nullopt;
        if (rs.RecordCount() == 0 && !insertMissing)
            return defaultValue;
        if (rs.RecordCount() == 0) {
            const DbConnection::ExecResult r =
                gMainConn.exec(QStringLiteral("INSERT INTO 환경설정 VALUES ('") + SQLQuote(name) +
                               QStringLiteral("','") + SQLQuote(defaultValue) + QStringLiteral("')"));
            if (!r.ok)
                throw DbException(r.error);
            return defaultValue;
        }
        return rs.text(QStringLiteral("설정값"));
    } catch (const DbException& e) {
        ShowErrorInfo(kRunError, e.info());
        return std::nullopt;
    }
}

std::optional<QString> ReadConfig(const QString& name, const QString& defaultValue)
{
    return readConfig(name, defaultValue, true);
}

std::optional<QString> PeekConfig(const QString& name, const QString& defaultValue)
{
    return readConfig(name, defaultValue, false);
}

static bool SaveConfigOnce(const QString& name, const QString& value)
{
    const QString key = SQLQuote(name);
    DbTransaction t(gMainConn);
    DbConnection::ExecResult r =
        gMainConn.exec(QStringLiteral("UPDATE 환경설정 SET 설정값 = '") + SQLQuote(value) +
                       QStringLiteral("' WHERE 구분 = '") + key + QLatin1Char('\''));
    if (r.ok && r.rowsAffected == 0)
        r = gMainConn.exec(QStringLiteral("INSERT INTO 환경설정 VALUES ('") + key + QStringLiteral("','") +
                           SQLQuote(value) + QStringLiteral("')"));
    if (!r.ok || !t.commit()) {
        const ErrInfo error = r.ok ? t.error() : r.error;
        t.rollback(); // no message while this seat holds the write lock
        if (!gMainConn.wasCut())
            ShowErrorInfo(kRunError, error);
        return false;
    }
    return true;
}

bool SaveConfig(const QString& name, const QString& value)
{
    UnitCheck<bool> check;
    check.what = [&] { return QStringLiteral("설정 ") + name; };
    check.storedSql = [&] {
        return QStringLiteral("SELECT COUNT(*) FROM 환경설정 WHERE 구분 = '") + SQLQuote(name) +
               QStringLiteral("' AND 설정값 = '") + SQLQuote(value) + QLatin1Char('\'');
    };
    check.saved = [] { return true; };
    check.givenUp = false;
    return RetryOnConflict(
        gMainConn, [&] { return SaveConfigOnce(name, value); }, check);
}

QString GetConfig(Settings::Key key)
{
    return Settings::Checked(key, GetConfig(Settings::Name(key), Settings::Default(key)));
}

std::optional<QString> ReadConfig(Settings::Key key)
{
    if (const std::optional<QString> stored = ReadConfig(Settings::Name(key), Settings::Default(key)))
        return Settings::Checked(key, *stored);
    return std::nullopt;
}

std::optional<QString> PeekConfig(Settings::Key key)
{
    if (const std::optional<QString> stored = PeekConfig(Settings::Name(key), Settings::Default(key)))
        return Settings::Checked(key, *stored);
    return std::nullopt;
}

bool SaveConfig(Settings::Key key, const QString& value)
{
    return SaveConfig(Settings::Name(key), value);
}

QString GetCompanyName()
{
    try {
        const QString name = NullToStr(GetFirstValue(QStringLiteral("SELECT 상호명 FROM 사용자정보")));
        return name.isEmpty() ? QStringLiteral("테스Soft") : name;
    } catch (const DbException& e) {
        ShowErrorInfo(kRunError, e.info());
        return QStringLiteral("테스Soft");
    }
}

bool AdjustPoints(const QString& customerCode, qint64 difference)
{
    if (difference == 0)
        return true;
    const int n =
        ExecSQL(QStringLiteral("UPDATE 고객 SET 현포인트 = 현포인트 + ") + QString::number(difference) +
                QStringLiteral(" WHERE 코드 = '") + SQLQuote(customerCode) + QLatin1Char('\''));
    if (n <= 0) {
        // Postings run inside the caller's write: the warning waits for its rollback.
        gMainConn.whenUnlocked([customerCode] {
            ShowWarning(QStringLiteral("고객의 포인트 계산 중 오류가 발생하여 정상처리 되지 못했습니다.") +
                        kCrLf + QStringLiteral("고객코드: ") + customerCode);
        });
        return false;
    }
    return true;
}

bool AdjustBalance(const QString& storeCode, double difference)
{
    if (difference == 0)
        return true;
    const int n = ExecSQL(QStringLiteral("UPDATE 가맹점 SET 현잔액 = 현잔액 + ") + SqlNumber(difference) +
                          QStringLiteral(" WHERE 코드 = '") + SQLQuote(storeCode) + QLatin1Char('\''));
    if (n <= 0) {
        gMainConn.whenUnlocked([storeCode] {
            ShowWarning(QStringLiteral("가맹점의 수수료 계산 중 오류가 발생하여 정상처리 되지 못했습니다.") +
                        kCrLf + QStringLiteral("가맹점코드: ") + storeCode);
        });
        return false;
    }
    return true;
}

static bool DeleteOrderOnce(const QString& orderNumber)
{
    if (orderNumber.isEmpty()) {
        ShowInfo(QStringLiteral("먼저 그리드에서 삭제할 자료를 선택하세요."));
        return false;
    }
    const QString number = SQLQuote(orderNumber);
    // The reversal is read, the rows removed and both totals corrected in one unit: a failure anywhere
    // leaves the order, its lines and the totals as they were.
    DbTransaction t(gMainConn);
    if (!t.active()) {
        if (!gMainConn.wasCut())
            ShowStdError(t.error(), QStringLiteral("DeleteOrder"), kModule);
        return false;
    }
    Recordset rs;
    if (!OpenRecordset(
            gMainConn, rs,
            QStringLiteral("SELECT 가맹점코드, 고객코드, SUM(수수료) AS 수수료합, SUM(포인트) AS 포인트합") +
                QStringLiteral(" FROM 주문 LEFT JOIN 주문내역 ON 주문.주문번호 = 주문내역.주문번호") +
                QStringLiteral(" WHERE 주문.주문번호 = '") + number + QLatin1Char('\'') +
                QStringLiteral(" GROUP BY 가맹점코드, 고객코드")))
        return false;
    if (rs.RecordCount() == 0) {
        gMainConn.whenUnlocked([] { ShowInfo(QStringLiteral("해당 주문은 이미 삭제 되었습니다.")); });
        return false;
    }
    const QString storeCode = rs.text(QStringLiteral("가맹점코드"));
    const QString customerCode = rs.text(QStringLiteral("고객코드"));
    const qint64 points = qint64(rs.value(QStringLiteral("포인트합")).toDouble());
    const double commission = rs.value(QStringLiteral("수수료합")).toDouble();
    rs.close();

    if (ExecSQL(QStringLiteral("DELETE FROM 주문내역 WHERE 주문번호 = '") + number + QLatin1Char('\'')) < 0)
        return false;
    const int deleted =
        ExecSQL(QStringLiteral("DELETE FROM 주문 WHERE 주문번호 = '") + number + QLatin1Char('\''));
    if (deleted < 0)
        return false;
    if (deleted == 0) {
        gMainConn.whenUnlocked([orderNumber] {
            ShowInfo(FormatMessage(
                QStringLiteral("코드『%0』에 해당하는 자료를 삭제 할 수 없습니다.") + kCrLf + kCrLf +
                    QStringLiteral("이미 삭제되었거나, 삭제할 수 없는 경우가 발생했습니다."),
                {orderNumber}));
        });
        return false;
    }
    if (!AdjustPoints(customerCode, -points) || !AdjustBalance(storeCode, -commission))
        return false;
    if (!t.commit()) {
        // A connection that broke off is RetryOnConflict's to tell about.
        if (!gMainConn.wasCut())
            ShowStdError(t.error(), QStringLiteral("DeleteOrder"), kModule);
        return false;
    }
    return true;
}

bool DeleteOrder(const QString& orderNumber)
{
    UnitCheck<bool> check;
    check.what = [&] { return QStringLiteral("주문 ") + orderNumber + QStringLiteral(" 삭제"); };
    check.storedSql = [&] {
        return QStringLiteral("SELECT COUNT(*) FROM 주문 WHERE 주문번호 = '") + SQLQuote(orderNumber) +
               QLatin1Char('\'');
    };
    check.storedWhenNone = true;
    check.saved = [] { return true; };
    check.givenUp = false;
    return RetryOnConflict(
        gMainConn, [&] { return DeleteOrderOnce(orderNumber); }, check);
}
