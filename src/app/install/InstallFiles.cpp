// The text files a new installation ships with: the notice page of the main window and the caller-ID help.
#include "app/install/DbTool.h"

#include "app/AppPaths.h"

#include <QFile>
#include <QFileInfo>

namespace {
bool writeIfMissing(const QString& path, const QString& text, QString* error)
{
    if (QFileInfo::exists(path))
        return true;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("파일을 쓸 수 없습니다: ") + path;
        return false;
    }
    f.write(text.toUtf8());
    return true;
}

const char* kNotice = R"(<html><body style="font-family: NanumGothic, sans-serif; font-size: 10pt;">
<h3 style="color:#35507a; margin:2px 0;">오늘의 안내</h3>
<ul style="margin-left:-20px;">
<li>전화가 오면 번호가 주문 목록의 빈 줄에 자동으로 들어갑니다.</li>
<li><b>F5</b> 새로고침, <b>F4</b> 선택한 주문·메뉴 삭제, <b>F9</b> 접수 관리.</li>
<li>휴무일이나 영업시간 밖의 가맹점은 주문 전에 한 번 더 확인합니다.</li>
</ul>
<p style="color:#777;">이 안내문은 프로그램 폴더의 doc/notice.html 파일입니다. 센터 공지로 바꾸어 쓰세요.</p>
</body></html>
)";

const char* kCallerIdHelp = R"(발신번호 표시 안내

1. 전화가 오면 발신번호가 화면 왼쪽의 (SEE ID) 칸에 표시됩니다.
2. 주문 목록의 빈 줄(맨 아래 줄)의 "주문 전화번호" 칸에 커서가 있으면 번호가 바로 들어가고
   고객 정보가 나타납니다. 등록되지 않은 번호이면 신규 등록을 묻습니다.
3. 다른 일을 하고 있을 때 걸려 온 번호는 "발신번호 대기" 창에 차례로 쌓입니다.
   빈 줄의 전화번호 칸에서 입력을 시작하면 가장 먼저 온 번호부터 들어갑니다.
4. 발신번호 표시제한 전화는 화면에 표시만 되고 목록에는 들어가지 않습니다.
)";
} // namespace

namespace DbTool {
bool WriteInstallationFiles(const QString& home, QString* error)
{
    return writeIfMissing(AppPaths::ResolveCaseInsensitive(home, QStringLiteral("doc/notice.html")),
                          QString::fromUtf8(kNotice), error) &&
           writeIfMissing(AppPaths::ResolveCaseInsensitive(home, QStringLiteral("doc/발신번호안내.txt")),
                          QString::fromUtf8(kCallerIdHelp), error);
}
} // namespace DbTool
