#include "accounts/FrmRecv_save.h"
