#include "admin/gui/modGoURL.h"

#include "app/Platform.h"
#include "ui/MsgBox.h"

#include <QUrl>

namespace modGoURL {

const QString kHomePage = QStringLiteral("https://zelkova.example.com");
const QString kRemoteSupport = QStringLiteral("https://zelkova.example.com/support");

namespace {
void openAfterAsking(const QString& question, const QString& address)
{
    // A browser that does not start is not reported: the operator sees nothing open and may try again.
    if (AskYesNo(question, AppTitle(), true) == MsgAnswer::Yes)
        CurrentPlatform().OpenExternally(QUrl(address));
}
} // namespace

void OpenHomePage()
{
    openAfterAsking(QStringLiteral("고객지원센터 홈페이지로 이동하시겠습니까?"), kHomePage);
}

void OpenRemoteSupport()
{
    openAfterAsking(QStringLiteral("원격지원서비스를 실행하시겠습니까?"), kRemoteSupport);
}

} // namespace modGoURL
