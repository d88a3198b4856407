#pragma once
// TSQLiteTable: a dataset over one table of a SQLite database file.
//
// Records come in rowid order, a small batch at a time, so scanning never holds the table
// in memory and no lock is held between calls. Text keeps every byte: a value stored as
// TEXT or BLOB reads as its bytes. A value written is bound as TEXT when it is valid UTF-8
// (what SQLite and other programs expect of TEXT) and as a BLOB otherwise or when the
// field held a BLOB, so the same bytes always read back.
//
// A damaged file is reported, never looped over: a table that hands back row ids that do
// not increase raises EDatabaseDamaged naming the file.
// Post updates the current record only if the fields being changed still hold the values
// that were read; otherwise it raises "Record changed by another user" and changes nothing.

#include "zel/host/data/DataSet.h"
#include "zel/host/data/SqlIdentifier.h" // its callers get QuoteIdentifier here, as they did

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zel::host {

class SQLiteFinder;

class TSQLiteTable : public TDataSet {
public:
    explicit TSQLiteTable(TComponent* owner);
    ~TSQLiteTable() override;

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    /// Path of the database file (or a SQLite "file:" URI). The file must exist.
    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& name);
    const std::string& TableName() const { return tableName_; }
    void SetTableName(const std::string& name);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    /// How long to wait for another connection's lock before failing, in milliseconds.
    int BusyTimeout() const { return busyTimeout_; }
    void SetBusyTimeout(int milliseconds);

    bool CanModify() const override;
    /// A relative DatabaseName is taken relative to the folder of the form file.
    void SetFormFolder(const std::string& folder) override { formFolder_ = folder; }
    /// The file actually opened: DatabaseName, resolved against the form's folder.
    std::string DatabasePath() const;

protected:
    std::vector<std::string> InternalOpen() override;
    void InternalClose() override;
    bool InternalFirst(std::vector<TVariant>& values) override;
    bool InternalNext(std::vector<TVariant>& values) override;
    bool InternalReread(std::vector<TVariant>& values) override;
    bool InternalRefresh(std::vector<TVariant>& values) override;
    void InternalPost(const std::vector<const TField*>& changed,
                      const std::vector<const TField*>& read,
                      std::vector<TVariant>& stored) override;
    std::optional<bool> InternalLocate(int field, const std::string& text,
                                       std::vector<TVariant>& values) override;
    bool InternalAppendUnique(const std::vector<TFieldValue>& values, std::size_t unique) override;
    void InternalDelete(const std::vector<const TField*>& read) override;
    std::string DisplayName() const override;
    std::string WhyReadOnly() const override;

private:
    struct Row {
        std::int64_t rowid;
        std::vector<TVariant> values;
    };
    [[noreturn]] void Fail(const std::string& what) const;
    sqlite3_stmt* Prepare(const std::string& sql) const;
    /// Reads one batch from `statement`, with ?1 bound to `bound` when given; every row id
    /// must exceed `after` (when given) and the one before it.
    bool Fetch(sqlite3_stmt* statement, std::optional<std::int64_t> bound,
               std::optional<std::int64_t> after);
    void Deliver(std::vector<TVariant>& values);
    std::string ColumnList() const;
    [[noreturn]] void RaiseOutOfOrder(std::int64_t rowid, std::int64_t after) const;
    SQLiteFinder& FinderOf(std::size_t column);
    struct Bound {
        const TVariant* value;
        bool asBlob;
    };
    /// Runs `sql` with `values` bound in order; how many rows it changed.
    int Write(const std::string& sql, const std::vector<Bound>& values, const std::string& what);

    std::string databaseName_;
    std::string formFolder_;
    std::string tableName_;
    bool readOnly_ = false;
    int busyTimeout_ = 5000;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* firstBatch_ = nullptr;
    sqlite3_stmt* nextBatch_ = nullptr;
    sqlite3_stmt* fromBatch_ = nullptr; // rows from a row id on (Refresh)
    sqlite3_stmt* lastRow_ = nullptr;   // the last row (Refresh past the end)
    sqlite3_stmt* oneRow_ = nullptr;    // the row of a row id (Locate, Reread)
    std::string rowidName_;
    std::vector<std::string> columns_;
    std::vector<std::string> columnTypes_;               // as declared
    std::vector<std::unique_ptr<SQLiteFinder>> finders_; // by column, made at first use
    std::vector<Row> batch_;
    std::size_t position_ = 0; // current row within batch_
    std::int64_t currentRowid_ = 0;
};

/// Makes TSQLiteTable known to the form reader. Loading this library does it; the package
/// calls it too, so that a linker never drops the library unseen.
void RegisterSQLiteClasses();

} // namespace zel::host
