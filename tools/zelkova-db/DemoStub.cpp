// Placeholder until the demo generator lands: empty installations only.
#include "DbTool.h"

namespace DemoData {
bool Fill(const QString&, const DbTool::DemoOptions&, QString* error)
{
    *error = QStringLiteral("데모 자료 생성기가 아직 없습니다.");
    return false;
}
bool FillPostSample(const QString&, QString*)
{
    return true;
}
bool ImportPostCsv(const QString&, const QString&, int*, QString* error)
{
    *error = QStringLiteral("아직 지원하지 않습니다.");
    return false;
}
} // namespace DemoData
