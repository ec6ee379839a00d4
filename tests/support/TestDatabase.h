#pragma once

#include <QString>

// Where a test's main database lives. The engine-neutral suites run once per engine (CTest adds a
// "_server" run with ZELKOVA_TEST_ENGINE=server); on the server each fixture gets a fresh database copied
// from one made with the current layout, on the cluster ZELKOVA_TEST_SERVER names (scripts/pg-cluster.sh).
namespace TestDatabase {
bool OnServer();
// The file `mainFile` of a new installation, or a fresh server database's address. Without a server to
// run on, the run ends as skipped (exit code 77), or fails when CI is set.
QString MainLocation(const QString& mainFile);
// Every row of every main table on gMainConn as text, in a fixed order: equal snapshots, unchanged data.
QString MainSnapshot();
} // namespace TestDatabase
