#include "order/gui/modSeeID.h"

#include "order/gui/FrmSeeIDStanbyList.h"
#include "order/gui/FrmSeeidList.h"
#include "ui/gui/modFormIni.h"

#include <QPointer>

namespace {
QPointer<QWidget> g_owner;
QPointer<FrmSeeIDStanbyList> g_standby;
QPointer<FrmSeeidList> g_log;
} // namespace

void SetSeeIdOwner(QWidget* owner)
{
    g_owner = owner;
}

FrmSeeidList* CallerLog()
{
    if (!g_log)
        g_log = new FrmSeeidList(g_owner);
    return g_log;
}

FrmSeeIDStanbyList* StandbyWindow()
{
    if (!g_standby) {
        g_standby = new FrmSeeIDStanbyList(g_owner);
        QObject::connect(g_standby, &FrmSeeIDStanbyList::allListRequested, [] { ShowForm(CallerLog()); });
    }
    return g_standby;
}

void AddStandbyNumber(const QString& number)
{
    StandbyWindow()->AddNumber(number);
}

QString PopStandbyNumber()
{
    return StandbyWindow()->PopNumber();
}

int StandbyCount()
{
    return g_standby ? g_standby->Count() : 0;
}

void AddMsg(const QString& text)
{
    CallerLog()->AddMsg(text);
}

void UnloadSeeIdWindows()
{
    if (g_standby) {
        g_standby->SavePosition();
        g_standby->hide();
        g_standby->close();
        delete g_standby;
    }
    if (g_log) {
        g_log->hide();
        g_log->close();
        delete g_log;
    }
}
