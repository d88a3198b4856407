#pragma once
// One TQtSqlTable's connection and what it learnt of its table: the columns, the key and
// how this driver's SQL quotes, locks and limits. Statements are prepared with their values
// bound, never spliced in. A statement that fails raises EDatabaseError; when the connection
// turns out to be gone, the next Revive connects again.

#include "zel/host/qtsql/detail/QtSqlValues.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <string>
#include <vector>

namespace zel::host::qtsql {

enum class Dialect { SQLite, Postgres, MySql, Other };

struct Column {
    std::string name;
    QString quoted;
    Kind kind = Kind::Text;
    QMetaType type;
};

struct Settings {
    std::string driver, databaseName, hostName, userName, connectOptions, connectionName;
    int port = 0;
    bool readOnly = false;
};

using Row = std::vector<TVariant>;

class Session {
public:
    /// Connects (or takes the application's connection) and reads the shape of `table`.
    Session(const Settings& settings, const std::string& table, const std::string& displayName);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    /// Connects again where the connection was found gone.
    void Revive();
    /// Whether the last failure found the connection gone (a transaction with it).
    bool Lost() const { return lost_; }
    /// The rows of a SELECT, each value converted; `what` starts the message of a failure.
    std::vector<Row> Query(const QString& sql, const std::vector<QVariant>& params,
                           const std::string& what);
    /// A statement that returns no rows; one without values is sent as it is (a few, such
    /// as LOCK TABLES, cannot be prepared everywhere).
    void Exec(const QString& sql, const std::vector<QVariant>& params, const std::string& what);

    enum class Lock { Record, Table };
    /// A transaction that holds other writers off the record (a SELECT ... ForUpdate()) or
    /// off the whole table until Commit or Rollback.
    void Begin(Lock lock, const std::string& what);
    void Commit(const std::string& what);
    void Rollback() noexcept;
    /// What ends a SELECT that reads a record to be written in this transaction.
    QString ForUpdate() const;

    /// `name` quoted as this driver's SQL quotes an identifier.
    QString Quote(const std::string& name) const;
    QString Quote(QString name) const;
    Dialect SqlDialect() const { return dialect_; }
    const QString& Table() const { return table_; }
    /// The table's columns; the key columns, where the key is SQLite's rowid, follow them
    /// in every row read but are no field.
    const std::vector<Column>& Columns() const { return columns_; }
    std::size_t Fields() const { return fields_; }
    const std::vector<std::size_t>& Key() const { return key_; }

private:
    void Connect(const Settings& settings);
    void ReadShape(const std::string& table);
    std::vector<std::string> KeyNames(const std::string& table);
    void Release() noexcept;
    [[noreturn]] void Failed(const QSqlError& error, const std::string& what);

    QString connection_;
    bool own_ = false;
    QSqlDatabase db_;
    std::string displayName_;
    Dialect dialect_ = Dialect::Other;
    QString table_;
    std::vector<Column> columns_;
    std::size_t fields_ = 0;
    std::vector<std::size_t> key_;
    bool lost_ = false;
    Lock lock_ = Lock::Record;
};

} // namespace zel::host::qtsql
