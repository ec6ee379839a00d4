// The postal-code file of a new installation: a bundled sample of region names, and the import of a full
// list.
#include "app/install/DbTool.h"
#include "app/install/DemoData.h"
#include "app/install/DemoSqlConnection.h"

#include <QFile>
#include <QStringDecoder>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace DemoData {

namespace {

// One district: its old three-digit postal prefix and its towns. A town is written "name", "name:suffix" or
// "name:suffix:lots"; without a suffix the towns are numbered 010, 020, ... after the last one given.
struct District
{
    const char* sido;
    const char* gugun;
    const char* prefix;
    const char* towns;
};

const District kDistricts[] = {
    {"서울특별시", "종로구", "110",
     "청운동 삼청동 가회동 혜화동 이화동 창신동 숭인동 평창동 부암동 관철동 인사동"},
    {"서울특별시", "중구", "100",
     "명동1가:021 명동2가:022 을지로1가:191 충무로1가:011 회현동1가:051 남대문로1가:091 신당동:450 "
     "황학동:460 "
     "중림동:500 필동1가:271 장충동1가:391"},
    {"서울특별시", "용산구", "140",
     "후암동:190 갈월동:150 남영동:160 한강로1가:011 원효로1가:111 이촌동:030 서빙고동:220 이태원동:200 "
     "한남동:210 보광동:230 용산동2가:022"},
    {"서울특별시", "성동구", "133",
     "상왕십리동:010 하왕십리동:020 행당동:070 응봉동:080 금호동1가:090 옥수동:100 성수동1가:110 "
     "성수동2가:120 "
     "마장동:130 사근동:140 송정동:160 용답동:170"},
    {"서울특별시", "광진구", "143",
     "중곡동:220 능동:180 군자동:150 화양동:130 자양동:190 구의동:200 광장동:210"},
    {"서울특별시", "동대문구", "130",
     "신설동:010 용두동:020 제기동:030 전농동:040 답십리동:050 장안동:060 청량리동:070 회기동:080 휘경동:090 "
     "이문동:100"},
    {"서울특별시", "중랑구", "131", "면목동:200 상봉동:220 중화동:130 묵동:140 망우동:150 신내동:160"},
    {"서울특별시", "성북구", "136",
     "성북동:020 돈암동:060 동선동1가:051 안암동1가:071 보문동1가:081 정릉동:100 길음동:110 종암동:090 "
     "월곡동:130 장위동:140 석관동:150"},
    {"서울특별시", "강북구", "142", "미아동:100 번동:070 수유동:080 우이동:090"},
    {"서울특별시", "도봉구", "132", "쌍문동:030 방학동:020 창동:040 도봉동:010"},
    {"서울특별시", "노원구", "139",
     "월계동:050 공릉동:240 하계동:230 중계동:220 상계동:200 상계동:201:1001~1300"},
    {"서울특별시", "은평구", "122",
     "녹번동:020 불광동:040 갈현동:050 구산동:060 대조동:070 응암동:010 역촌동:080 신사동:120 증산동:090 "
     "수색동:100 진관동:110"},
    {"서울특별시", "서대문구", "120",
     "충정로2가:012 충정로3가:013 합동:030 미근동:020 냉천동:040 천연동:050 홍제동:090 홍은동:100 "
     "남가좌동:120 "
     "북가좌동:110 연희동:080 창천동:180 신촌동:140 대현동:170 대신동:160 북아현동:190"},
    {"서울특별시", "마포구", "121",
     "아현동:010 공덕동:020 신공덕동:021 도화동:040 용강동:070 대흥동:080 염리동:090 신수동:110 서교동:210 "
     "동교동:200 합정동:220 망원동:230 연남동:240 성산동:250 상암동:270"},
    {"서울특별시", "양천구", "158", "목동:050 목동:051:901~1000 신월동:090 신정동:070"},
    {"서울특별시", "강서구", "157",
     "염창동:010 등촌동:030 화곡동:090 가양동:200 마곡동:210 내발산동:220 외발산동:230 공항동:240 방화동:260 "
     "개화동:250"},
    {"서울특별시", "구로구", "152",
     "신도림동:070 구로동:050 가리봉동:020 고척동:080 개봉동:090 오류동:100 궁동:110 온수동:120 천왕동:130 "
     "항동:140"},
    {"서울특별시", "금천구", "153", "가산동:023 독산동:010 시흥동:030"},
    {"서울특별시", "영등포구", "150",
     "영등포동:030 여의도동:010 여의도동:890:1~20 당산동:040 도림동:070 문래동:090 양평동:100 신길동:050 "
     "대림동:080"},
    {"서울특별시", "동작구", "156",
     "노량진동:050 상도동:030 본동:060 흑석동:070 동작동:080 사당동:090 대방동:020 신대방동:010"},
    {"서울특별시", "관악구", "151",
     "봉천동:050 봉천동:051:1501~1700 신림동:010 신림동:011:1601~1750 남현동:080"},
    {"서울특별시", "서초구", "137",
     "방배동:060 양재동:130 우면동:140 원지동:150 잠원동:030 반포동:040 서초동:070 서초동:071:1301~1700 "
     "내곡동:180 염곡동:170 신원동:190"},
    {"서울특별시", "강남구", "135",
     "논현동:010 역삼동:080 역삼동:081:701~800 삼성동:090 청담동:100 압구정동:110 신사동:120 세곡동:190 "
     "자곡동:200 율현동:210 수서동:220 일원동:230 개포동:240 도곡동:270 대치동:280 대치동:281:901~1000"},
    {"서울특별시", "송파구", "138",
     "풍납동:040 방이동:050 오금동:130 송파동:170 석촌동:190 삼전동:180 가락동:160 문정동:200 장지동:210 "
     "잠실동:220 신천동:240 거여동:110 마천동:120"},
    {"서울특별시", "강동구", "134",
     "천호동:020 성내동:030 길동:010 둔촌동:060 명일동:070 고덕동:080 상일동:090 암사동:050 강일동:100"},

    {"부산광역시", "중구", "600",
     "중앙동1가:011 광복동1가:031 남포동2가:042 대청동1가:071 보수동1가:081 부평동1가:091 영주동:100"},
    {"부산광역시", "부산진구", "614",
     "부전동:030 전포동:040 범천동:020 양정동:050 연지동:100 초읍동:110 가야동:800 개금동:060 당감동:070"},
    {"부산광역시", "동래구", "607",
     "온천동:060 명륜동:050 복천동:020 수안동:030 사직동:120 안락동:070 명장동:080"},
    {"부산광역시", "남구", "608", "대연동:020 용호동:090 용당동:080 문현동:040 우암동:050 감만동:060"},
    {"부산광역시", "해운대구", "612",
     "우동:020 중동:010 좌동:030 송정동:040 재송동:050 반여동:070 반송동:080"},
    {"부산광역시", "수영구", "613", "남천동:010 수영동:020 망미동:030 광안동:100 민락동:130"},
    {"부산광역시", "사하구", "604", "괴정동:020 당리동:010 하단동:030 신평동:040 장림동:050 다대동:060"},
    {"부산광역시", "금정구", "609", "장전동:390 구서동:310 부곡동:320 서동:330 남산동:340"},
    {"부산광역시", "연제구", "611", "거제동:070 연산동:080"},

    {"대구광역시", "중구", "700", "동성로1가:021 삼덕동1가:411 대봉동:420 남산동:440 동인동1가:421"},
    {"대구광역시", "동구", "701", "신암동:020 신천동:010 효목동:050 방촌동:060 지저동:070 동호동:080"},
    {"대구광역시", "서구", "703", "내당동:020 비산동:040 평리동:050 중리동:060"},
    {"대구광역시", "남구", "705", "이천동:010 봉덕동:020 대명동:030"},
    {"대구광역시", "북구", "702", "침산동:020 산격동:010 복현동:030 대현동:040 태전동:050 구암동:060"},
    {"대구광역시", "수성구", "706",
     "범어동:010 만촌동:020 수성동1가:031 황금동:040 중동:050 상동:060 지산동:090 범물동:100 신매동:110"},
    {"대구광역시", "달서구", "704",
     "두류동:060 본리동:070 감삼동:080 죽전동:090 이곡동:100 신당동:110 월성동:120 상인동:130 진천동:140"},

    {"인천광역시", "중구", "400", "신포동:010 관동1가:021 운서동:340 신흥동1가:101 북성동1가:201"},
    {"인천광역시", "동구", "401", "송림동:040 송현동:050 만석동:010 화수동:020"},
    {"인천광역시", "남구", "402", "숭의동:020 용현동:040 학익동:050 주안동:200 도화동:060 문학동:070"},
    {"인천광역시", "연수구", "406", "옥련동:010 선학동:020 연수동:110 청학동:120 동춘동:130 송도동:840"},
    {"인천광역시", "남동구", "405",
     "구월동:220 간석동:230 만수동:240 장수동:250 서창동:260 논현동:300 고잔동:310"},
    {"인천광역시", "부평구", "403",
     "부평동:010 십정동:020 산곡동:040 청천동:030 삼산동:090 부개동:080 일신동:070 갈산동:060"},
    {"인천광역시", "계양구", "407", "계산동:060 작전동:050 효성동:040 임학동:070"},
    {"인천광역시", "서구", "404", "가좌동:250 석남동:220 신현동:200 연희동:180 검암동:170 경서동:160"},

    {"경기도", "수원시 장안구", "440", "파장동:010 정자동:300 조원동:320 영화동:310 연무동:330"},
    {"경기도", "수원시 권선구", "441",
     "세류동:310 권선동:390 곡반정동:380 구운동:340 금곡동:350 호매실동:360"},
    {"경기도", "수원시 팔달구", "442", "인계동:070 우만동:190 지동:090 매산로1가:011 화서동:150"},
    {"경기도", "수원시 영통구", "443", "매탄동:370 원천동:380 영통동:470 망포동:400 이의동:270"},
    {"경기도", "성남시 수정구", "461", "신흥동:150 태평동:160 수진동:170 단대동:180 복정동:200"},
    {"경기도", "성남시 중원구", "462", "성남동:130 금광동:140 은행동:150 상대원동:120 여수동:160"},
    {"경기도", "성남시 분당구", "463",
     "정자동:010 수내동:020 서현동:050 이매동:060 야탑동:070 금곡동:480 구미동:490 백현동:420 삼평동:400"},
    {"경기도", "고양시 덕양구", "412", "화정동:270 행신동:220 주교동:010 성사동:020 토당동:230"},
    {"경기도", "고양시 일산동구", "410", "장항동:380 마두동:350 백석동:360 식사동:310 풍동:320"},
    {"경기도", "고양시 일산서구", "411", "주엽동:370 대화동:410 탄현동:360 일산동:310"},
    {"경기도", "용인시 수지구", "448", "풍덕천동:170 죽전동:160 상현동:130 성복동:140 신봉동:150 동천동:180"},
    {"경기도", "용인시 기흥구", "446", "신갈동:900 구갈동:905 보라동:910 마북동:912 보정동:913 영덕동:908"},
    {"경기도", "부천시 원미구", "420", "심곡동:010 원미동:020 중동:030 상동:040 약대동:050 춘의동:060"},
    {"경기도", "안양시 만안구", "430", "안양동:010 석수동:040 박달동:030"},
    {"경기도", "안양시 동안구", "431", "비산동:050 관양동:060 평촌동:070 호계동:080"},
    {"경기도", "의정부시", "480", "의정부동:010 호원동:020 장암동:030 신곡동:040 가능동:050 녹양동:060"},
    {"경기도", "광명시", "423", "광명동:010 철산동:030 하안동:060 소하동:050"},
    {"경기도", "하남시", "465", "신장동:010 덕풍동:020 풍산동:030 창우동:040"},

    {"대전광역시", "동구", "300", "중동:010 원동:020 가양동:030 용전동:040 판암동:050"},
    {"대전광역시", "중구", "301", "은행동:010 대흥동:020 선화동:030 문화동:040 태평동:050"},
    {"대전광역시", "서구", "302", "둔산동:120 탄방동:130 갈마동:140 월평동:150 만년동:160 괴정동:170"},
    {"대전광역시", "유성구", "305", "봉명동:301 궁동:335 어은동:333 구성동:338 노은동:325 지족동:330"},

    {"광주광역시", "동구", "501", "충장로1가:011 금남로1가:021 대인동:030 산수동:040"},
    {"광주광역시", "서구", "502", "치평동:010 화정동:020 농성동:030 쌍촌동:040 풍암동:050"},
    {"광주광역시", "북구", "500", "용봉동:070 운암동:080 중흥동:010 두암동:020 문흥동:030"},
    {"광주광역시", "남구", "503", "봉선동:010 주월동:020 월산동:030 백운동:040"},
    {"광주광역시", "광산구", "506", "송정동:010 신가동:020 월곡동:030 장덕동:040 쌍암동:050"},

    {"울산광역시", "중구", "681", "성남동:010 옥교동:020 학성동:030 태화동:040 복산동:050"},
    {"울산광역시", "남구", "680", "삼산동:010 달동:020 신정동:030 무거동:040 옥동:050"},
    {"울산광역시", "동구", "682", "방어동:010 일산동:020 전하동:030 화정동:040"},
};

std::vector<PostRow> buildSample()
{
    std::vector<PostRow> rows;
    // Sorts first in a full listing and carries no postal code, so it can be seen but never chosen.
    rows.push_back(
        {QString(), QStringLiteral("※ 표본자료"), QStringLiteral("(sample data)"),
         QStringLiteral("※ 표본자료 (sample data) — zelkova-db import-post 로 전체 목록을 가져오세요"),
         QString()});
    for (const District& d : kDistricts) {
        const QString prefix = QString::fromLatin1(d.prefix);
        int next = 10;
        const QStringList towns = QString::fromUtf8(d.towns).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& town : towns) {
            const QStringList parts = town.split(QLatin1Char(':'));
            int suffix = next;
            if (parts.size() > 1)
                suffix = parts.at(1).toInt();
            next = (suffix / 10 + 1) * 10;
            rows.push_back(
                {prefix + QLatin1Char('-') + QStringLiteral("%1").arg(suffix, 3, 10, QLatin1Char('0')),
                 QString::fromUtf8(d.sido), QString::fromUtf8(d.gugun), parts.at(0), parts.value(2)});
        }
    }
    return rows;
}

bool insertRows(DemoSqlConnection& conn, const std::vector<PostRow>& rows, QString* error,
                const DbTool::Progress& progress = {})
{
    if (!conn.exec(QStringLiteral("BEGIN IMMEDIATE"), error))
        return false;
    QSqlQuery del(conn.db());
    QSqlQuery ins(conn.db());
    bool ok = del.exec(QStringLiteral("DELETE FROM Post")) &&
              ins.prepare(QStringLiteral(
                  "INSERT INTO Post (ZIPCODE, SIDO, GUGUN, DONG, BUNJI) VALUES (?, ?, ?, ?, ?)"));
    QSqlError failure = ok ? QSqlError() : (del.lastError().isValid() ? del.lastError() : ins.lastError());
    for (size_t i = 0; ok && i < rows.size(); ++i) {
        const PostRow& r = rows[i];
        int column = 0;
        for (const QString* v : {&r.zipcode, &r.sido, &r.gugun, &r.dong, &r.bunji}) {
            // A missing value is an empty text, never Null: the search screen shows and compares texts.
            ins.bindValue(column++, v->isNull() ? QStringLiteral("") : *v);
        }
        if (!ins.exec()) {
            ok = false;
            failure = ins.lastError();
        }
        if (progress && i % 2000 == 0)
            progress(10 + int(88 * i / rows.size()),
                     QStringLiteral("우편번호 넣는 중 %1/%2").arg(i).arg(rows.size()));
    }
    if (ok && conn.exec(QStringLiteral("COMMIT"), error))
        return true;
    if (!ok)
        *error = failure.text();
    QString ignored;
    conn.exec(QStringLiteral("ROLLBACK"), &ignored);
    return false;
}

// Korean files from older systems are often in the Windows Korean code page; UTF-8 is tried first.
bool decodeText(QByteArray bytes, QString* text, QString* error)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(bytes);
    if (!utf8.hasError()) {
        *text = decoded;
        return true;
    }
    for (const char* codePage : {"CP949", "EUC-KR"}) {
        iconv_t cd = iconv_open("UTF-8", codePage);
        if (cd == iconv_t(-1))
            continue;
        QByteArray out;
        out.resize(bytes.size() * 2 + 16);
        char* in = bytes.data();
        size_t inLeft = size_t(bytes.size());
        char* dst = out.data();
        size_t outLeft = size_t(out.size());
        const size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
        iconv_close(cd);
        if (rc == size_t(-1) || inLeft != 0)
            continue;
        out.resize(out.size() - qsizetype(outLeft));
        *text = QString::fromUtf8(out);
        return true;
    }
    *error = QStringLiteral("CSV 파일의 문자 인코딩을 알 수 없습니다 (UTF-8 또는 CP949/EUC-KR만 읽습니다).");
    return false;
}

// Splits CSV text into records: comma separated, fields optionally in double quotes with "" for a quote,
// line breaks inside quotes kept. Each record remembers the line it started on.
bool parseCsv(const QString& text, std::vector<std::pair<int, QStringList>>* records, QString* error)
{
    QStringList fields;
    QString field;
    bool inQuotes = false;
    bool fieldWasQuoted = false;
    int line = 1;
    int recordLine = 1;
    auto endField = [&] {
        fields << (fieldWasQuoted ? field : field.trimmed());
        field.clear();
        fieldWasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        if (!(fields.size() == 1 && fields.first().isEmpty()))
            records->emplace_back(recordLine, fields);
        fields.clear();
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                    field += QLatin1Char('"');
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && field.trimmed().isEmpty() && !fieldWasQuoted) {
            inQuotes = true;
            fieldWasQuoted = true;
            field.clear();
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRecord();
            ++line;
            recordLine = line;
        } else if (!fieldWasQuoted || !c.isSpace()) {
            // A quote inside an unquoted field is an ordinary character.
            field += c;
        }
    }
    if (inQuotes) {
        *error = QStringLiteral("%1번째 줄에서 시작한 따옴표가 닫히지 않았습니다.").arg(recordLine);
        return false;
    }
    endRecord();
    return true;
}

// Which column a header name stands for (0 ZIPCODE … 4 BUNJI), -1 for an unknown name.
int headerColumn(const QString& name)
{
    static const char* const names[5][4] = {{"ZIPCODE", "우편번호", "ZIP", nullptr},
                                            {"SIDO", "시도", "시/도", nullptr},
                                            {"GUGUN", "구군", "시군구", "구/군"},
                                            {"DONG", "동", "읍면동", "동/면"},
                                            {"BUNJI", "번지", nullptr, nullptr}};
    const QString n = name.trimmed();
    for (int k = 0; k < 5; ++k) {
        for (const char* alias : names[k]) {
            if (alias && n.compare(QString::fromUtf8(alias), Qt::CaseInsensitive) == 0)
                return k;
        }
    }
    return -1;
}
} // namespace

const std::vector<PostRow>& PostSampleRows()
{
    static const std::vector<PostRow> rows = buildSample();
    return rows;
}

bool FillPostSample(const QString& postDbFile, QString* error)
{
    DemoSqlConnection conn(postDbFile);
    if (!conn.openForBulk(error))
        return false;
    return insertRows(conn, PostSampleRows(), error);
}

bool ImportPostCsv(const QString& postDbFile, const QString& csvFile, int* imported, QString* error,
                   const DbTool::Progress& progress)
{
    if (imported)
        *imported = 0;
    QFile f(csvFile);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("CSV 파일을 열 수 없습니다: ") + csvFile + QStringLiteral(" (") +
                 f.errorString() + QLatin1Char(')');
        return false;
    }
    if (progress)
        progress(0, QStringLiteral("CSV 읽는 중"));
    QString text;
    if (!decodeText(f.readAll(), &text, error))
        return false;
    std::vector<std::pair<int, QStringList>> records;
    if (!parseCsv(text, &records, error))
        return false;

    // Columns by position, or by name when a header line names them.
    int column[5] = {0, 1, 2, 3, 4};
    size_t first = 0;
    if (!records.empty()) {
        const QStringList& head = records.front().second;
        int named[5] = {-1, -1, -1, -1, -1};
        int matches = 0;
        for (int j = 0; j < head.size(); ++j) {
            const int k = headerColumn(head.at(j));
            if (k >= 0 && named[k] < 0) {
                named[k] = j;
                ++matches;
            }
        }
        // A data line starts with a postal code, so two known names can only be a header.
        if (matches >= 2) {
            first = 1;
            if (matches == 5 || (matches == 4 && named[4] < 0)) {
                for (int k = 0; k < 5; ++k)
                    column[k] = named[k]; // -1 for a list without BUNJI: empty lot ranges
            }
        }
    }
    std::vector<PostRow> rows;
    rows.reserve(records.size());
    for (size_t i = first; i < records.size(); ++i) {
        const auto& [line, fields] = records[i];
        const int needed = std::max({column[0], column[1], column[2], column[3]}) + 1;
        if (fields.size() < needed) {
            *error = QStringLiteral("%1번째 줄: 항목이 %2개뿐입니다 (ZIPCODE,SIDO,GUGUN,DONG,BUNJI).")
                         .arg(line)
                         .arg(fields.size());
            return false;
        }
        rows.push_back({fields.value(column[0]), fields.value(column[1]), fields.value(column[2]),
                        fields.value(column[3]), fields.value(column[4])});
    }
    if (rows.empty()) {
        // Replacing the list with nothing would leave the search without any data.
        *error = QStringLiteral("가져올 자료가 없습니다: ") + csvFile;
        return false;
    }
    DemoSqlConnection conn(postDbFile);
    if (!conn.openForBulk(error) || !insertRows(conn, rows, error, progress))
        return false;
    if (imported)
        *imported = int(rows.size());
    if (progress)
        progress(100, QStringLiteral("완료"));
    return true;
}
} // namespace DemoData
