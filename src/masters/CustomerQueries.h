#pragma once

#include "db/ReadQuery.h"

// The reads of the customer picker (the customer list's are in db/CustomerListQuery.h).
namespace CustomerQueries {

// The picker's search for a text over the ticked scopes (telephone, street number, memo), in address order;
// an empty text or no scope lists every customer. phoneIndex lets the telephone search use the
// reversed-number table.
ReadQuery Picker(const QString& text, bool tel, bool bunji, bool memo, bool phoneIndex);

} // namespace CustomerQueries
