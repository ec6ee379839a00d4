#include "accounts/ServiceScreens.h"

void RegisterServiceScreens() {}
