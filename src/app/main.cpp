#include "app/AppPaths.h"
#include "ui/MsgBox.h"
#include "ui/WidgetPrompter.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppTitle());
    QStringList args = QApplication::arguments();
    AppPaths::InitFromArgs(args);
    WidgetPrompter prompter;
    SetPrompter(&prompter);
    QLabel placeholder(QStringLiteral("Zelkova — ") + AppPaths::ProgramFolder());
    placeholder.resize(480, 120);
    placeholder.show();
    return app.exec();
}
