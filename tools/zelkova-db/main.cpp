// zelkova-db: creates, fills and upgrades the database files of a Zelkova installation.
#include "app/install/DbTool.h"
#include "ui/KoreanTranslation.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The parser's own words (usage, options, its errors) in Korean like the rest; English without the file.
    KoreanTranslation::Install();
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return DbTool::Run(args);
}
