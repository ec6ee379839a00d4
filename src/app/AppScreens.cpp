#include "app/AppScreens.h"

#include "admin/frmOptions.h"
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

    ScreenEntry options;
    options.name = QStringLiteral("frmOptions");
    options.description = QStringLiteral("환경설정");
    options.modality = ScreenModality::Modal;
    options.gate = ScreenGate::Authority;
    options.menuEntry = QStringLiteral("mnuBasic_Option");
    options.create = [](QWidget* parent) { return new frmOptions(parent); };
    ScreenCatalogue::Register(std::move(options));
}
