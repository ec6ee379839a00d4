#include "app/AppScreens.h"

#include "app/frmAbout.h"
#include "ui/ScreenCatalogue.h"

void RegisterAppScreens()
{
    ScreenEntry about;
    about.name = QStringLiteral("frmAbout");
    about.modality = ScreenModality::Modal;
    about.gate = ScreenGate::Open;
    about.menuEntry = QStringLiteral("mnuHelp_About");
    about.create = [](QWidget* parent) { return new frmAbout(parent); };
    ScreenCatalogue::Register(std::move(about));
}
