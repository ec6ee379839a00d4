#include "accounts/AccountScreens.h"

void RegisterAccountScreens() {}
