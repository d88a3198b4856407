#pragma once
// This path keeps working for code written before the header moved to its database's own
// library.
#include "zel/host/sqlite/SQLiteTable.h"
