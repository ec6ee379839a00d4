#include "accounts/FrmSvce_admin.h"
