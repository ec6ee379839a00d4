#include "db/Schema.h"
#include "db/modMain_SQL.h"
#include "masters/CustPhone.h"
#include "masters/gui/CustomerScreens.h"
#include "masters/gui/FrmCust_save.h"
#include "masters/gui/FrmCust_sel.h"
#include "masters/gui/FrmHDay_save.h"
#include "masters/gui/FrmMemb_save.h"
#include "masters/gui/FrmMemb_sel.h"
#include "masters/gui/FrmMenu_sel.h"
#include "masters/gui/frmZipcode.h"
#include "order/MainFixture.h"
#include "order/MainScreenDriver.h"
#include "order/gui/FrmMain.h"
#include "order/gui/FrmMainColumns.h"
#include "support/Controls.h"
#include "support/ScriptedPrompter.h"
#include "ui/TextUtil.h"
#include "ui/gui/ByteLimitedLineEdit.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/RecordScreens.h"
#include "ui/gui/ScreenCatalogue.h"
#include "ui/gui/SpreadGrid.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace FrmMainCols;

namespace {
const QChar kNulChar(0);

// Texts an operator can paste into any box; every place below gets all of them.
QList<std::pair<const char*, QString>> corpus()
{
    return {
        {"quotes", QStringLiteral("김's 'best' ''")},
        {"double quotes", QStringLiteral("그 \"큰\" 집")},
        {"comment dashes", QStringLiteral("1층 -- 뒤쪽")},
        {"statement after semicolon", QStringLiteral("x'); DELETE FROM 고객; --")},
        {"percent", QStringLiteral("50%")},
        {"underscore", QStringLiteral("a_b")},
        {"backslash", QStringLiteral("C:\\메모\\")},
        {"brackets, ampersand, hash", QStringLiteral("[코드] & #1# *")},
        {"emoji", QStringLiteral("배달 😀")},
        {"outside the basic plane", QStringLiteral("𝄞")},
        {"Cyrillic", QStringLiteral("Привет")},
        {"Arabic", QStringLiteral("مرحبا")},
        {"over-long", QString(200, u'가')},
        {"NUL", QStringLiteral("a") + kNulChar + QStringLiteral("b")},
        {"lone surrogate before a quote",
         QStringLiteral("x") + QChar(0xD800) + QStringLiteral("' OR 1=1 --")},
        {"lone low surrogate", QChar(0xDC00) + QStringLiteral("끝")},
    };
}

void addCorpus()
{
    QTest::addColumn<QString>("text");
    for (const auto& [name, text] : corpus())
        QTest::newRow(name) << text;
}

bool hasBadChar(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isNull())
            return true;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

// Whether a place should keep the text as it is (true) or refuse it with a message.
bool storable(const QString& text, int maxBytes)
{
    return !hasBadChar(text) && (maxBytes <= 0 || LenByte(text) <= maxBytes);
}

// Every row of the tables user text reaches, for "nothing else changed".
QString snapshot()
{
    QString out;
    for (const char* table :
         {"고객", "가맹점", "가맹점휴일", "취급메뉴", "주문", "주문내역", "환경설정", "보안설정"}) {
        QSqlQuery q(gMainConn.database());
        if (!q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QString::fromUtf8(table))))
            return QStringLiteral("unreadable ") + QString::fromUtf8(table);
        while (q.next()) {
            out += QString::fromUtf8(table) + QLatin1Char(':');
            for (int i = 0; i < q.record().count(); ++i)
                out += q.value(i).toString() + QLatin1Char('|');
            out += QLatin1Char('\n');
        }
    }
    return out;
}

// One row as text, for "the other row is untouched".
QString rowText(const QString& table, const QString& code)
{
    QSqlQuery q(gMainConn.database());
    q.exec(QStringLiteral("SELECT * FROM %1 WHERE 코드 = '%2'").arg(table, code));
    QString out;
    while (q.next()) {
        for (int i = 0; i < q.record().count(); ++i)
            out += q.value(i).toString() + QLatin1Char('|');
    }
    return out;
}

QString column(const QString& sql)
{
    return GetFirstValue(sql).toString();
}

// The first message that is not plain Korean (a statement, engine or procedure wording), "" when none.
QString technicalMessage(const ScriptedPrompter& p)
{
    static const QRegularExpression technical(
        QStringLiteral("SELECT|INSERT|UPDATE|DELETE|WHERE|Error|error|token|syntax|SQL|procedure|Form "));
    static const QRegularExpression hangul(QStringLiteral("[가-힣]"));
    for (const QString& text : p.texts()) {
        if (technical.match(text).hasMatch() || !hangul.match(text).hasMatch())
            return text;
    }
    return QString();
}

void verifyPlainMessages(const ScriptedPrompter& p)
{
    const QString technical = technicalMessage(p);
    QVERIFY2(technical.isEmpty(), qPrintable(technical));
}

// The place refused the text: a message said so and the database is as it was.
void verifyRefused(const ScriptedPrompter& p, const QString& before)
{
    QVERIFY2(p.count() > 0, "refused without a word");
    verifyPlainMessages(p);
    QCOMPARE(snapshot(), before);
}

} // namespace

// Pasted texts of every kind through each place that writes or searches with user text: kept exactly and
// found again, or refused with a plain message and nothing changed.
class TestHostileText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void customerEditorAndPicker_data() { addCorpus(); }
    void customerEditorAndPicker();
    void storeEditorAndPicker_data() { addCorpus(); }
    void storeEditorAndPicker();
    void holidayMemo_data() { addCorpus(); }
    void holidayMemo();
    void menuSearch_data() { addCorpus(); }
    void menuSearch();
    void postalSearch_data() { addCorpus(); }
    void postalSearch();
    void mainScreenFilters_data() { addCorpus(); }
    void mainScreenFilters();
    void orderGridCells_data() { addCorpus(); }
    void orderGridCells();
    void settingsRows_data() { addCorpus(); }
    void settingsRows();
    void screenPermissionRows_data() { addCorpus(); }
    void screenPermissionRows();
};

void TestHostileText::initTestCase()
{
    RegisterCustomerScreens();
}

void TestHostileText::cleanup()
{
    SetModalHandler({});
}

void TestHostileText::customerEditorAndPicker()
{
    QFETCH(QString, text);
    MainFixture f;
    struct Field
    {
        int index;
        const char* column;
        int scope; // picker scope that finds the column, -1 none
    };
    const QString other = rowText("고객", "10000001");
    for (const Field& field :
         {Field{FrmCust_save::FTel3, "전화3", -1}, Field{FrmCust_save::FAddr2, "주소2", 1},
          Field{FrmCust_save::FMemo, "메모", 2}}) {
        const QString before = snapshot();
        ScriptedPrompter p;
        p.answer(MsgAnswer::Yes); // a duplicate address, should the text match one
        FrmCust_save ed;
        ed.Init(EditorMode::Edit, nullptr, QStringLiteral("10000002"));
        Ctl<QLineEdit>(&ed, "htField", field.index)->setText(text);
        const int limit = Ctl<ByteLimitedLineEdit>(&ed, "htField", field.index)->maxBytes();
        const bool number = field.index == FrmCust_save::FTel3;
        const QString expected = number ? CanonicalPhone(text) : text;
        // A number field takes telephone texts only.
        if (!storable(expected, limit) || (number && !text.trimmed().isEmpty() && !IsPhoneText(text))) {
            QVERIFY(!ed.Save());
            verifyRefused(p, before);
            continue;
        }
        QVERIFY2(ed.Save(), qPrintable(p.texts().join(QLatin1Char('/'))));
        QCOMPARE(column(QStringLiteral("SELECT %1 FROM 고객 WHERE 코드 = '10000002'").arg(field.column)),
                 expected);
        QCOMPARE(rowText("고객", "10000001"), other);
        if (field.scope < 0)
            continue;
        FrmCust_sel picker;
        for (int i = 0; i < 3; ++i)
            Ctl<QCheckBox>(&picker, "chkFindFld", i)->setChecked(i == field.scope);
        Ctl<QLineEdit>(&picker, "txtinput")->setText(expected);
        QCOMPARE(picker.Refresh_Sheet(), 1);
        QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->CellText(FrmCust_sel::ColCode, 1),
                 QStringLiteral("10000002"));
        QCOMPARE(p.unexpected(), 0);
        // Put back for the next field.
        MainFixture::exec("UPDATE 고객 SET 전화3 = '', 주소2 = '', 메모 = '' WHERE 코드 = '10000002'");
    }
}

void TestHostileText::storeEditorAndPicker()
{
    QFETCH(QString, text);
    MainFixture f;
    struct Field
    {
        int index;
        const char* column;
        int scope;
    };
    const QString other = rowText("가맹점", "1001");
    for (const Field& field :
         {Field{FrmMemb_save::FldName, "상호", 1}, Field{FrmMemb_save::FldTel3, "전화3", -1},
          Field{FrmMemb_save::FldAddr2, "주소2", -1}, Field{FrmMemb_save::FldMemo, "메모", 3}}) {
        const QString before = snapshot();
        ScriptedPrompter p;
        FrmMemb_save ed;
        ed.Init(EditorMode::Edit, nullptr, QStringLiteral("1002"));
        Ctl<QLineEdit>(&ed, "htField", field.index)->setText(text);
        const int limit = Ctl<ByteLimitedLineEdit>(&ed, "htField", field.index)->maxBytes();
        const bool number = field.index == FrmMemb_save::FldTel3;
        const QString expected = number ? CanonicalPhone(text) : text;
        // A number field takes telephone texts only.
        if (!storable(expected, limit) || (number && !text.trimmed().isEmpty() && !IsPhoneText(text))) {
            QVERIFY(!ed.Save());
            verifyRefused(p, before);
            continue;
        }
        QVERIFY2(ed.Save(), qPrintable(p.texts().join(QLatin1Char('/'))));
        QCOMPARE(column(QStringLiteral("SELECT %1 FROM 가맹점 WHERE 코드 = '1002'").arg(field.column)),
                 expected);
        QCOMPARE(rowText("가맹점", "1001"), other);
        if (field.scope >= 0) {
            FrmMemb_sel picker;
            for (int i = 0; i < FrmMemb_sel::kScopeCount; ++i)
                Ctl<QCheckBox>(&picker, "chkFindFld", i)->setChecked(i == field.scope);
            Ctl<QLineEdit>(&picker, "txtinput")->setText(expected);
            QCOMPARE(picker.Refresh_Sheet(), 1);
            QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->CellText(FrmMemb_sel::ColCode, 1),
                     QStringLiteral("1002"));
        }
        QCOMPARE(p.unexpected(), 0);
        MainFixture::exec(
            "UPDATE 가맹점 SET 상호 = '야식천국', 전화3 = '', 주소2 = '', 메모 = '' WHERE 코드 = '1002'");
    }
}

void TestHostileText::holidayMemo()
{
    QFETCH(QString, text);
    MainFixture f;
    const QString before = snapshot();
    ScriptedPrompter p;
    FrmHDay_save ed;
    ed.Init(QStringLiteral("1001"), nullptr);
    Ctl<QLineEdit>(&ed, "htField", 0)->setText(text);
    if (!storable(text, Ctl<ByteLimitedLineEdit>(&ed, "htField", 0)->maxBytes())) {
        QVERIFY(!ed.Save());
        verifyRefused(p, before);
        return;
    }
    QVERIFY(ed.Save());
    QCOMPARE(column("SELECT 메모 FROM 가맹점휴일 WHERE 가맹점코드 = '1001'"), text);
    QCOMPARE(CountRows("가맹점휴일"), 1);
}

void TestHostileText::menuSearch()
{
    QFETCH(QString, text);
    MainFixture f;
    {
        QSqlQuery q(gMainConn.database());
        q.prepare("INSERT INTO 취급메뉴 (메뉴명, 가맹점코드, 판매단가) VALUES (?, '1001', 1000)");
        q.addBindValue(text);
        QVERIFY(q.exec());
    }
    const QString before = snapshot();
    ScriptedPrompter p;
    FrmMenu_sel picker;
    const int n = picker.FindRecords(text, QStringLiteral("1001"), QStringLiteral("느티골치킨"));
    if (!storable(text, kMaxSearchBytes)) {
        QCOMPARE(n, -1);
        verifyRefused(p, before);
        return;
    }
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->MaxRows(), 1);
    QCOMPARE(Ctl<SpreadGrid>(&picker, "spList")->CellText(FrmMenu_sel::ColName, 1), text);
    QCOMPARE(p.count(), 0);
}

void TestHostileText::postalSearch()
{
    QFETCH(QString, text);
    MainFixture f;
    {
        DbConnection post;
        ErrInfo e;
        QVERIFY(post.open(AppPaths::ProgramPath(Schema::kPostFile), false, &e));
        QSqlQuery q(post.database());
        q.prepare("INSERT INTO Post (ZIPCODE, SIDO, GUGUN, DONG, BUNJI) VALUES ('999-999', '', '', ?, '')");
        q.addBindValue(text);
        QVERIFY(q.exec());
        post.close();
    }
    ScriptedPrompter p;
    gIsNT = true;
    frmZipcode w;
    QVERIFY(w.isReady());
    Ctl<QLineEdit>(&w, "txtInput")->setText(text);
    const int n = w.RefreshSheet();
    if (!storable(text, kMaxSearchBytes)) {
        QCOMPARE(n, -1);
        QCOMPARE(p.count(), 1);
        verifyPlainMessages(p);
        return;
    }
    QCOMPARE(n, 1);
    QCOMPARE(Ctl<SpreadGrid>(&w, "spList")->CellText(1, 1), QStringLiteral("999-999"));
    QCOMPARE(p.count(), 0);
}

void TestHostileText::mainScreenFilters()
{
    QFETCH(QString, text);
    MainFixture f;
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    const QString before = snapshot();
    ScriptedPrompter p;
    SetModalHandler([](QDialog*) { return int(QDialog::Rejected); });
    FrmMain w;
    QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 2);
    // Order-number filter: nothing holds these texts, so only the entry row stays, or the text is refused.
    Ctl<QLineEdit>(&w, "htFilter", 0)->setText(text);
    Q_EMIT Ctl<QLineEdit>(&w, "htFilter", 0)->returnPressed();
    if (storable(text.trimmed(), kMaxSearchBytes)) {
        QCOMPARE(Ctl<SpreadGrid>(&w, "spMList")->MaxRows(), 1);
        QCOMPARE(p.count(), 0);
    } else {
        QCOMPARE(p.count(), 1);
    }
    // Customer search: found nobody, or refused.
    p.clear();
    Ctl<QLineEdit>(&w, "htFilter", 1)->setText(text);
    Q_EMIT Ctl<QLineEdit>(&w, "htFilter", 1)->textEdited(text);
    Q_EMIT Ctl<QLineEdit>(&w, "htFilter", 1)->returnPressed();
    QCOMPARE(p.count(), 1);
    if (storable(text, kMaxSearchBytes))
        QCOMPARE(p.lastText(), QStringLiteral("검색한 고객이 등록되어 있지 않습니다."));
    QVERIFY(w.filterCustCode().isEmpty());
    verifyPlainMessages(p);
    QCOMPARE(snapshot(), before);
}

void TestHostileText::orderGridCells()
{
    QFETCH(QString, text);
    MainFixture f;
    for (const char* name : {"FrmMemb_sel", "FrmMenu_sel"})
        ScreenCatalogue::RegisterPicker(QString::fromLatin1(name),
                                        [] { return std::make_unique<ScriptedPicker>(); });
    MainFixture::addOrder("2612081001", "10000001", "1001", "11:00");
    MainFixture::exec(
        "INSERT INTO 주문내역 (주문번호, 순번, 주문메뉴, 수량, 단가, 금액, 수수료, 메모, 포인트) VALUES "
        "('2612081001', 1, 1, 1, 10000, 10000, 350, '', 100)");
    ScriptedPrompter p;
    FrmMain w;
    Ctl<SpreadGrid>(&w, "spMList")->SetActiveCell(mPhone, 1);
    w.LoadLines("2612081001");

    // Line memo.
    QString before = snapshot();
    const bool keep = storable(text, 0);
    p.answer(MsgAnswer::Yes); // change the saved line
    TypeCell(w, Ctl<SpreadGrid>(&w, "spDList"), dMemo, 1, text);
    if (keep) {
        QCOMPARE(column("SELECT 메모 FROM 주문내역"), text);
        QCOMPARE(p.count(), 1);
    } else {
        verifyRefused(p, before);
    }
    QCOMPARE(column("SELECT 현잔액 FROM 가맹점 WHERE 코드 = '1001'"), QStringLiteral("0"));

    // Telephone of a saved order, "아니오": the customer's stored number is rewritten as typed; a text that
    // is no telephone number is refused before anything is asked.
    p.clear();
    before = snapshot();
    const bool number = IsPhoneText(text);
    if (number) {
        p.answer(MsgAnswer::Yes); // change the saved order
        p.answer(MsgAnswer::No);  // same customer, number mistyped
    }
    TypeCell(w, Ctl<SpreadGrid>(&w, "spMList"), mPhone, 1, text);
    const QString expected = FormatPhone(text);
    if (!number) {
        QCOMPARE(p.count(), 1);
        QCOMPARE(snapshot(), before);
        verifyPlainMessages(p);
    } else if (keep) {
        QCOMPARE(column("SELECT 전화1 FROM 고객 WHERE 코드 = '10000001'"), expected);
    } else {
        QVERIFY(p.count() > 2);
        QCOMPARE(snapshot(), before);
        QVERIFY(technicalMessage(p).isEmpty());
    }
    QCOMPARE(column("SELECT 전화1 FROM 고객 WHERE 코드 = '10000002'"), QStringLiteral("02-9999-0000"));
    QCOMPARE(CountRows("고객"), 2);
    QCOMPARE(p.unexpected(), 0);
}

void TestHostileText::settingsRows()
{
    QFETCH(QString, text);
    MainFixture f;
    ScriptedPrompter p;
    const QString before = snapshot();
    const bool saved = SaveConfig(text, text);
    if (!storable(text, 0)) {
        QVERIFY(!saved);
        verifyRefused(p, before);
        return;
    }
    QVERIFY(saved);
    QCOMPARE(ReadConfig(text, QStringLiteral("없음")), std::optional<QString>(text));
    QVERIFY(SaveConfig(text, text + text));
    QCOMPARE(ReadConfig(text, QStringLiteral("없음")), std::optional<QString>(text + text));
    QCOMPARE(CountRows("환경설정"), 1);
    QCOMPARE(p.count(), 0);
}

void TestHostileText::screenPermissionRows()
{
    QFETCH(QString, text);
    MainFixture f;
    ScriptedPrompter p;
    const QString before = snapshot();
    const bool passed = PassAuthority(text, text, 0);
    if (!storable(text, 0)) {
        QVERIFY(!passed);
        verifyRefused(p, before);
        return;
    }
    QVERIFY(passed);
    // The second opening finds the row made by the first.
    QVERIFY(PassAuthority(text, text, 0));
    QCOMPARE(CountRows("보안설정"), 1);
    QCOMPARE(column("SELECT 폼이름 FROM 보안설정"), text);
    QCOMPARE(column("SELECT 폼설명 FROM 보안설정"), text);
    QCOMPARE(p.count(), 0);
}

QTEST_MAIN(TestHostileText)
#include "tst_hostiletext.moc"
