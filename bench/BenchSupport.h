#pragma once
// What the benchmarks share: menus and forms of a given size, and user tables of a given
// size in SQLite files and on a PostgreSQL server, made once per size and kept.

#include "zel/host/core/Form.h"
#include "zel/host/data/DataSet.h"
#include "zel/host/ui/Menus.h"

#include <benchmark/benchmark.h>
#include <optional>
#include <string>

namespace zel::bench {

/// A menu of `count` items in `form`: 10 top entries, each a chain of groups of 10 leaves,
/// named m0, m1, ... with captions.
host::TMainMenu* BuildMenu(host::TForm& form, int count);

/// The form-file text of the same menu.
std::string MenuFormText(int count);

/// A SQLite file of `users` users (user0 ... with password "pw"), with or without an index
/// on the user ID; made on first use.
std::string SQLiteUsers(int users, bool indexed);

/// The PostgreSQL server named by ZEL_BENCH_PG (a connection string), or none.
std::optional<std::string> PgServer();
/// The name of a table of `users` users on that server, made on first use.
std::string PgUsers(const std::string& conninfo, int users, bool indexed);

/// The log-in as an application does it (provider, data source, `table`, a menu of 200
/// items), of the last of `state.range(0)` users, timed; the units are the rows read when
/// `perRow`, else the log-ins. `table` is opened here and stays its owner's.
void MeasureLogin(benchmark::State& state, host::TDataSet* table, bool perRow);

/// Bytes the heap holds now (for memory per item).
std::size_t HeapInUse();

} // namespace zel::bench
