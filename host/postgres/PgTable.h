#pragma once
// TPgTable: a dataset over one table of a PostgreSQL database, for user tables that a
// team's clients share on a server.
//
// Records come in primary-key order from a server-side cursor in a read-only transaction,
// a batch at a time, so a large table is never held in memory. The transaction ends when
// the cursor reaches the end, and on First, Refresh and Close; it takes no row locks.
// Post runs on a connection of its own, as one short statement: it updates the record by
// its primary key only where the changed fields still hold the values that were read,
// otherwise it raises "Record changed by another user". A table without a primary key can
// be read and refuses every write.
//
// Text travels as UTF8, each value converted by the host's text setting (PgText.h); one
// that the setting cannot hold reads as foreign text. A bytea column carries its bytes
// unchanged. Values are always sent as
// parameters. A lost connection fails the operation under way and is made again by the
// next one; reading then goes on after the current record.

#include "zel/host/data/DataSet.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zel::host {

namespace pg {
class Connection;
class Result;
struct Param;
} // namespace pg

class TPgTable : public TDataSet {
public:
    explicit TPgTable(TComponent* owner);
    ~TPgTable() override;

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    /// A libpq connection string or postgresql:// URI. Leave the password out: libpq
    /// takes it from ~/.pgpass, PGPASSFILE or a service file.
    const std::string& ConnectionString() const { return connectionString_; }
    void SetConnectionString(const std::string& conninfo);
    /// The table, as SQL names it: users, sales.users, "Odd Name". A name that SQL does
    /// not find is also tried as the exact name of a table.
    const std::string& TableName() const { return tableName_; }
    void SetTableName(const std::string& name);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    /// How long one statement may run before the server cancels it, in milliseconds
    /// (0: no limit), so a hung server cannot freeze the application.
    int StatementTimeout() const { return statementTimeout_; }
    void SetStatementTimeout(int milliseconds);

    bool CanModify() const override;

protected:
    std::vector<std::string> InternalOpen() override;
    void InternalClose() override;
    bool InternalFirst(std::vector<TVariant>& values) override;
    bool InternalNext(std::vector<TVariant>& values) override;
    bool InternalReread(std::vector<TVariant>& values) override;
    bool InternalRefresh(std::vector<TVariant>& values) override;
    std::optional<bool> InternalLocate(int field, const std::string& text,
                                       std::vector<TVariant>& values) override;
    void InternalPost(const std::vector<const TField*>& changed,
                      const std::vector<const TField*>& read,
                      std::vector<TVariant>& stored) override;
    bool InternalAppendUnique(const std::vector<TFieldValue>& values, std::size_t unique) override;
    void InternalDelete(const std::vector<const TField*>& read) override;
    std::string DisplayName() const override;
    std::string WhyReadOnly() const override;

private:
    struct Column;
    class Statements;

    void ResolveTable();
    /// Starts reading at the first record (no key) or after / from the given record.
    bool StartCursor(const std::vector<TVariant>* key, bool inclusive);
    bool FetchBatch();
    /// Makes the last record, alone, the batch; false when the table is empty.
    bool ReadLastRow();
    /// Row `row` of `r`, which holds every column in table order.
    std::vector<TVariant> RowOf(const pg::Result& r, int row) const;
    void Deliver(std::vector<TVariant>& values);
    std::vector<TVariant> KeyOf(const std::vector<TVariant>& row) const;
    /// The statement parameters that name the record of `key`.
    std::vector<pg::Param> KeyParams(const std::vector<TVariant>& key) const;
    /// The key of the first record, in key order, whose column `field` reads as `text`.
    std::optional<std::vector<TVariant>> FindKey(std::size_t field, const std::string& text);
    /// FindKey by the server's own "=", where it finds every record that reads as the text:
    /// false where it cannot.
    bool LookUp(std::size_t field, const std::string& text,
                std::optional<std::vector<TVariant>>& key);
    std::optional<std::vector<TVariant>> FirstReadingAs(const pg::Result& r, int kind,
                                                        const std::string& text) const;
    std::string KeyAnd(const Column& c) const;
    /// The column that `field` reads, or columns_.size().
    std::size_t ColumnOf(const TField& field) const;
    /// " AND ..." that holds only while every comparable field of `read` holds its
    /// OldValue; their values are appended to `params`.
    std::string StillAsRead(const std::vector<const TField*>& read,
                            std::vector<pg::Param>& params) const;
    /// The writing connection, made at first use.
    pg::Connection& Writer();
    void Rename();
    /// Makes the reading connection usable again; a cursor it held is then lost.
    void Revive();

    std::string connectionString_;
    std::string tableName_;
    bool readOnly_ = false;
    int statementTimeout_ = 30000;
    std::string displayName_;

    std::unique_ptr<pg::Connection> reader_;
    std::unique_ptr<pg::Connection> writer_; // opened by the first Post
    std::vector<Column> columns_;
    std::vector<std::size_t> key_; // the primary key's columns, in key order
    std::string qualifiedName_;
    bool updatable_ = false;
    std::unique_ptr<Statements> sql_;

    std::vector<std::vector<TVariant>> batch_;
    std::size_t position_ = 0;
    bool cursorOpen_ = false; // a cursor stands in the reading transaction
    bool cursorEnded_ = true; // nothing follows the batch
    int batchRows_ = 0;
};

/// Makes TPgTable known to the form reader. Loading this library does it; the package
/// calls it too, so that a linker never drops the library unseen.
void RegisterPostgresClasses();

} // namespace zel::host
