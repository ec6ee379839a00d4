// zelkova-db: creates, fills and upgrades the database files of a Zelkova installation.
#include "app/install/DbTool.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return DbTool::Run(args);
}
