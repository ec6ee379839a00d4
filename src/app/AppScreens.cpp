#include "app/AppScreens.h"

#include "admin/frmOptions.h"
#include "app/frmAbout.h"
#include "ui/ScreenCatalogue.h"

void RegisterAppScreens()
{
    ScreenCatalogue::Register(ModalScreenEntry(QStringLiteral("frmAbout"), QString(), ScreenGate::Open,
                                               QStringLiteral("mnuHelp_About"),
                                               [](QWidget* parent) { return new frmAbout(parent); }));
    ScreenCatalogue::Register(ModalScreenEntry(QStringLiteral("frmOptions"), QStringLiteral("환경설정"),
                                               ScreenGate::Authority, QStringLiteral("mnuBasic_Option"),
                                               [](QWidget* parent) { return new frmOptions(parent); }));
}
