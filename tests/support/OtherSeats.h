#pragma once

#include "db/ChangeFeed.h"

#include <QTest>

// Lets the seat's change feed hear what another connection has just committed: a file is looked at at once,
// a server's notification is given a moment to arrive.
inline void HearOtherSeats(bool server)
{
    MainChangeFeed().checkNow();
    if (server)
        QTest::qWait(300);
    MainChangeFeed().checkNow();
}
