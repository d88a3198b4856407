#pragma once
// TQtSqlTable: a dataset over one table reached through Qt SQL, on any driver Qt has
// (QSQLITE, QPSQL, QMYSQL for MariaDB and MySQL, QODBC, ...), or on a connection the
// application opened itself (ConnectionName), so a Qt application describes its database
// once.
//
// Records come in primary-key order, a batch at a time (LIMIT after the last key read), so
// a large table is never held in memory. Locate asks the database for candidates through
// its own "=" (an index where there is one) and keeps only those that read as the text byte
// for byte: MariaDB's and MySQL's usual collations find 'ADMIN' and 'admin ' for 'admin',
// the comparison keeps them apart. Post and Delete lock the record (the table, on SQLite),
// read it again and compare every field byte for byte with what was read before they write
// by the primary key, so a changed record raises "Record changed by another user" on every
// driver, whatever its collation or its count of affected rows. A table without a primary
// key can be read and refuses every write.
//
// Text meets QString in ServerText.h, by the host's text setting; a value that is not valid
// text is bound as bytes (the rights belong in a BLOB, VARBINARY or bytea column). A lost
// connection fails the operation under way; the next one connects again.
//
// There is no password property: a password comes from the application's own connection
// or from the driver's own files (~/.my.cnf through MYSQL_OPT_READ_DEFAULT_FILE, ~/.pgpass).

#include "zel/host/data/DataSet.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zel::host {

class TQtSqlTable : public TDataSet {
public:
    explicit TQtSqlTable(TComponent* owner);
    ~TQtSqlTable() override;

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    /// Qt's driver name: QSQLITE, QPSQL, QMYSQL, QODBC, ...
    const std::string& Driver() const { return driver_; }
    void SetDriver(const std::string& driver);
    /// The database; for QSQLITE the file, a relative path taken from the form's folder.
    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const std::string& name);
    const std::string& HostName() const { return hostName_; }
    void SetHostName(const std::string& name);
    /// 0: the driver's default port.
    int Port() const { return port_; }
    void SetPort(int port);
    const std::string& UserName() const { return userName_; }
    void SetUserName(const std::string& name);
    /// Qt's connect options, e.g. UNIX_SOCKET=/run/mysqld/mysqld.sock.
    const std::string& ConnectOptions() const { return connectOptions_; }
    void SetConnectOptions(const std::string& options);
    /// The name of a QSqlDatabase connection the application has added: used instead of a
    /// connection of the table's own, and the other connection properties are ignored.
    const std::string& ConnectionName() const { return connectionName_; }
    void SetConnectionName(const std::string& name);
    /// The table's exact name, quoted for the driver in every statement.
    const std::string& TableName() const { return tableName_; }
    void SetTableName(const std::string& name);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    /// Whether ConnectOptions appear to carry a password (a form should not).
    bool ConnectOptionsHavePassword() const;

    bool CanModify() const override;
    void SetFormFolder(const std::string& folder) override { formFolder_ = folder; }

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
    class Session; // the connection, the table's shape and its statements

    /// Reads the batch that starts after (or at) `key`, or the first one without a key.
    bool ReadBatch(const std::vector<TVariant>* key, bool inclusive);
    bool ReadLastRow();
    void Deliver(std::vector<TVariant>& values) const;
    std::vector<TVariant> KeyOf(const std::vector<TVariant>& row) const;
    /// The key of the first record, in key order, whose column `column` reads as `text`.
    std::optional<std::vector<TVariant>> FindKey(std::size_t column, const std::string& text);
    /// Locks the current record, reads it again and checks that every field of `read`
    /// still holds its old value; raises ERecordChanged otherwise. Inside a transaction.
    void CheckStillAsRead(const std::vector<const TField*>& read);
    void Rename();

    std::string driver_ = "QSQLITE";
    std::string databaseName_;
    std::string hostName_;
    int port_ = 0;
    std::string userName_;
    std::string connectOptions_;
    std::string connectionName_;
    std::string tableName_;
    bool readOnly_ = false;
    std::string formFolder_;
    std::string displayName_;

    std::unique_ptr<Session> session_;
    std::vector<std::vector<TVariant>> batch_;
    std::size_t position_ = 0;
    bool ended_ = true;      // nothing follows the batch
    std::size_t offset_ = 0; // without a key: the rows read before the batch
    int batchRows_ = 0;
};

/// Makes TQtSqlTable known to the form reader. Loading this library does it.
void RegisterQtSqlClasses();

} // namespace zel::host
