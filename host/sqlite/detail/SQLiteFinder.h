#pragma once
// Finding a record by one column's value in a SQLite table, for TSQLiteTable::Locate: the
// first row in row-id order whose column is not NULL and reads as `text`, byte for byte, as
// a TField's AsString would read it (integers and reals as VarToStr writes them).
//
// When an index can find the candidates (the column has TEXT or no affinity, so that a
// bound value is never converted, and the query plan uses an index), they are fetched
// through it; otherwise SQLite steps through the table comparing the column's bytes and
// returns the candidates in row-id order. Each candidate is checked by that exact
// comparison, so both give the same row.

#include <cstdint>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace zel::host {

class SQLiteFinder {
public:
    /// `table` and `column` quoted already; `declaredType` as PRAGMA table_info gives it.
    /// Raises nothing: a statement that cannot be prepared shows as failed in Find.
    SQLiteFinder(sqlite3* db, const std::string& table, const std::string& rowid,
                 const std::string& column, const std::string& declaredType);
    ~SQLiteFinder();
    SQLiteFinder(const SQLiteFinder&) = delete;
    SQLiteFinder& operator=(const SQLiteFinder&) = delete;

    struct Result {
        bool failed = false;                ///< SQLite reported an error (sqlite3_errmsg)
        std::optional<std::int64_t> rowid;  ///< the row found
        std::optional<std::int64_t> before; ///< the scan met this row id after `rowid`,
                                            ///< which it may never: the file is damaged
    };
    Result Find(const std::string& text);
    bool UsesIndex() const { return lookup_ != nullptr; }

private:
    Result Scan(const std::string& text);
    Result Lookup(const std::string& text);

    sqlite3* db_;
    sqlite3_stmt* scan_ = nullptr;       // candidates by their bytes, or every row
    sqlite3_stmt* scanNumber_ = nullptr; // those and every real; none when scan_ takes all
    sqlite3_stmt* lookup_ = nullptr;     // only when an index serves it
};

} // namespace zel::host
