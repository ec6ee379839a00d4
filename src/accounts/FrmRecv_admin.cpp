#include "accounts/FrmRecv_admin.h"
