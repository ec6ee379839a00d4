#include "app/gui/AppScreens.h"

#include "admin/gui/frmOptions.h"
#include "app/gui/frmAbout.h"
#include "ui/gui/ScreenCatalogue.h"

void RegisterAppScreens()
{
    ScreenCatalogue::Register(ModalScreenEntry(QStringLiteral("frmAbout"), QString(), ScreenGate::Open,
                                               QStringLiteral("mnuHelp_About"),
                                               [](QWidget* parent) { return new frmAbout(parent); }));
    ScreenCatalogue::Register(ModalScreenEntry(QStringLiteral("frmOptions"), QStringLiteral("환경설정"),
                                               ScreenGate::Authority, QStringLiteral("mnuBasic_Option"),
                                               [](QWidget* parent) { return new frmOptions(parent); }));
}
