#include "accounts/PointService.h"
