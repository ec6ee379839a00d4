#pragma once

#include <QString>

// The help menu's web pages: each asks first, then opens the page with the desktop's browser.
namespace modGoURL {

extern const QString kHomePage;      // the support centre's home page
extern const QString kRemoteSupport; // the remote-support page

void OpenHomePage();
void OpenRemoteSupport();

} // namespace modGoURL
