#include "accounts/PaymentService.h"
