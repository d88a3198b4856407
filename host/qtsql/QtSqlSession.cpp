#include "zel/host/qtsql/detail/QtSqlSession.h"

#include "zel/host/core/Errors.h"
#include "zel/host/data/ServerText.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <atomic>
#include <sys/stat.h>

namespace zel::host::qtsql {

namespace {
QString ToQ(const std::string& text) {
    return TextToQt(text).value_or(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

// Qt's text (a driver's message, a column's name) as the host's, each character the text
// setting cannot hold escaped.
std::string FromQ(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return server::Escaped(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

std::string Reason(const QSqlError& error) {
    QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return FromQ(text.simplified());
}

// Waiting for another session's lock too long, or chosen as a deadlock's victim.
bool IsLock(Dialect dialect, const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    switch (dialect) {
    case Dialect::SQLite:
        return code == "5" || code == "6";
    case Dialect::MySql:
        return code == "1205" || code == "1213";
    case Dialect::Postgres:
        return code == "55P03" || code == "40P01" || code == "40001";
    case Dialect::Other:
        break;
    }
    return false;
}

Dialect DialectOf(const QString& driver) {
    if (driver == "QSQLITE") {
        return Dialect::SQLite;
    }
    if (driver == "QPSQL") {
        return Dialect::Postgres;
    }
    if (driver == "QMYSQL" || driver == "QMARIADB") {
        return Dialect::MySql;
    }
    return Dialect::Other;
}
} // namespace

Session::Session(const Settings& settings, const std::string& table, const std::string& displayName)
    : displayName_(displayName) {
    try {
        Connect(settings);
        ReadShape(table);
    } catch (...) {
        Release(); // the connection goes with a failed open
        throw;
    }
}

Session::~Session() {
    Release();
}

void Session::Release() noexcept {
    if (own_ && db_.isValid()) {
        db_.close();
    }
    db_ = QSqlDatabase(); // no handle may outlive removeDatabase
    if (own_) {
        QSqlDatabase::removeDatabase(connection_);
        own_ = false;
    }
}

void Session::Connect(const Settings& settings) {
    if (!settings.connectionName.empty()) {
        connection_ = ToQ(settings.connectionName);
        if (!QSqlDatabase::contains(connection_)) {
            throw EDatabaseError("No Qt SQL connection named '" + settings.connectionName +
                                 "' for " + displayName_ +
                                 ": the application adds it (QSqlDatabase::addDatabase) before "
                                 "the table opens");
        }
        db_ = QSqlDatabase::database(connection_, false);
    } else {
        const QString driver = ToQ(settings.driver);
        if (!QSqlDatabase::isDriverAvailable(driver)) {
            throw EDatabaseError("Qt has no SQL driver '" + settings.driver + "' for " +
                                 displayName_ +
                                 " (available: " + FromQ(QSqlDatabase::drivers().join(", ")) +
                                 "; Debian packages them as libqt6sql6-*)");
        }
        QString options = ToQ(settings.connectOptions);
        if (driver == "QSQLITE") {
            bool writeProtected = false;
            if (settings.databaseName != ":memory:" &&
                settings.databaseName.rfind("file:", 0) != 0) {
                struct stat info {};
                if (::stat(settings.databaseName.c_str(), &info) != 0) {
                    throw EDatabaseError("Cannot open " + displayName_ +
                                         ": the file does not exist");
                }
                // A FIFO would block the first read for ever; a directory or device is no
                // database.
                if (!S_ISREG(info.st_mode)) {
                    throw EDatabaseError("Cannot open " + displayName_ +
                                         ": it is not a regular file");
                }
                writeProtected = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
            }
            // Writers wait for each other as the SQLite dataset's do. A read-only table, or a
            // file nobody may write (the superuser included), cannot write even by mistake.
            if (!options.contains("QSQLITE_BUSY_TIMEOUT")) {
                options += QString(options.isEmpty() ? "" : ";") + "QSQLITE_BUSY_TIMEOUT=5000";
            }
            if (settings.readOnly || writeProtected) {
                options += ";QSQLITE_OPEN_READONLY";
            }
        }
        static std::atomic<int> counter{0};
        connection_ = QString("zel_qtsql_%1").arg(++counter);
        db_ = QSqlDatabase::addDatabase(driver, connection_);
        own_ = true;
        db_.setDatabaseName(ToQ(settings.databaseName));
        db_.setHostName(ToQ(settings.hostName));
        db_.setUserName(ToQ(settings.userName));
        if (settings.port > 0) {
            db_.setPort(settings.port);
        }
        db_.setConnectOptions(options);
    }
    dialect_ = DialectOf(db_.driverName());
    if (!db_.isOpen() && !db_.open()) {
        throw EDatabaseError("Cannot connect to " + displayName_ + ": " + Reason(db_.lastError()));
    }
}

QString Session::Quote(const std::string& name) const {
    return Quote(ToQ(name));
}

QString Session::Quote(QString name) const {
    if (dialect_ == Dialect::MySql) {
        return "`" + name.replace("`", "``") + "`";
    }
    return "\"" + name.replace("\"", "\"\"") + "\"";
}

std::vector<std::string> Session::KeyNames(const std::string& table) {
    QString sql;
    switch (dialect_) {
    case Dialect::SQLite:
        sql = "SELECT name FROM pragma_table_info(?) WHERE pk > 0 ORDER BY pk";
        break;
    case Dialect::Postgres:
        sql = "SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid "
              "AND a.attnum = ANY(i.indkey) WHERE i.indrelid = to_regclass(quote_ident(?)) AND "
              "i.indisprimary ORDER BY array_position(i.indkey::int2[], a.attnum)";
        break;
    case Dialect::MySql:
        sql = "SELECT COLUMN_NAME FROM information_schema.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA "
              "= DATABASE() AND TABLE_NAME = ? AND CONSTRAINT_NAME = 'PRIMARY' ORDER BY "
              "ORDINAL_POSITION";
        break;
    case Dialect::Other: {
        const QSqlIndex index = db_.primaryIndex(ToQ(table));
        std::vector<std::string> names;
        for (int i = 0; i < index.count(); ++i) {
            names.push_back(FromQ(index.fieldName(i)));
        }
        return names;
    }
    }
    std::vector<std::string> names;
    for (const Row& row : Query(sql, {ToQ(table)}, "Cannot read the key of " + displayName_)) {
        names.push_back(VarToStr(row[0]));
    }
    return names;
}

void Session::ReadShape(const std::string& table) {
    table_ = Quote(table);
    QSqlQuery q(db_);
    if (!q.exec("SELECT * FROM " + table_ + " WHERE 1 = 0")) {
        throw EDatabaseError("Table '" + table + "' not found in " + displayName_ + " (" +
                             Reason(q.lastError()) + ")");
    }
    const QSqlRecord record = q.record();
    for (int i = 0; i < record.count(); ++i) {
        const QSqlField field = record.field(i);
        columns_.push_back(
            {FromQ(field.name()), Quote(field.name()), KindOf(field.metaType()), field.metaType()});
    }
    if (columns_.empty()) {
        throw EDatabaseError("Table '" + table + "' in " + displayName_ + " has no columns");
    }
    fields_ = columns_.size();
    for (const std::string& name : KeyNames(table)) {
        for (std::size_t c = 0; c < fields_; ++c) {
            if (columns_[c].name == name) {
                key_.push_back(c);
            }
        }
    }
    // A SQLite table without a declared key has its rowid: the order the SQLite dataset
    // reads in, and a key that a record keeps.
    if (key_.empty() && dialect_ == Dialect::SQLite &&
        QSqlQuery(db_).exec("SELECT rowid FROM " + table_ + " WHERE 1 = 0")) {
        columns_.push_back({"rowid", "rowid", Kind::Integer, QMetaType::fromType<qlonglong>()});
        key_.push_back(fields_);
    }
}

std::vector<Row> Session::Query(const QString& sql, const std::vector<QVariant>& params,
                                const std::string& what) {
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    bool ok = q.prepare(sql);
    for (std::size_t i = 0; ok && i < params.size(); ++i) {
        q.addBindValue(params[i]);
    }
    if (!ok || !q.exec()) {
        Failed(q.lastError(), what);
    }
    std::vector<Row> rows;
    const int columns = q.record().count();
    while (q.next()) {
        Row row;
        row.reserve(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            row.push_back(FromQt(q.value(c)));
        }
        rows.push_back(std::move(row));
    }
    if (q.lastError().isValid()) {
        Failed(q.lastError(), what);
    }
    return rows;
}

void Session::Exec(const QString& sql, const std::vector<QVariant>& params,
                   const std::string& what) {
    if (!params.empty()) {
        Query(sql, params, what);
        return;
    }
    QSqlQuery q(db_);
    if (!q.exec(sql)) {
        Failed(q.lastError(), what);
    }
}

void Session::Failed(const QSqlError& error, const std::string& what) {
    if (dialect_ != Dialect::SQLite) {
        // Gone, or only this statement failed? A statement of its own tells.
        lost_ = !db_.isOpen() || !QSqlQuery(db_).exec("SELECT 1");
    }
    if (IsLock(dialect_, error)) {
        throw EDatabaseLocked(what + ": " + Reason(error));
    }
    throw EDatabaseError(what + ": " + Reason(error));
}

void Session::Revive() {
    if (!lost_) {
        return;
    }
    db_.close();
    if (!db_.open()) {
        throw EDatabaseError("Cannot connect again to " + displayName_ + ": " +
                             Reason(db_.lastError()));
    }
    lost_ = false;
}

void Session::Begin(Lock lock, const std::string& what) {
    lock_ = lock;
    switch (dialect_) {
    case Dialect::SQLite:
        Exec("BEGIN IMMEDIATE", {}, what); // the database's write lock, taken now
        return;
    case Dialect::MySql:
        if (lock == Lock::Table) {
            Exec("LOCK TABLES " + table_ + " WRITE", {}, what);
            return;
        }
        break;
    case Dialect::Postgres:
    case Dialect::Other:
        break;
    }
    if (!db_.transaction()) {
        throw EDatabaseError(what + ": cannot start a transaction (" + Reason(db_.lastError()) +
                             ")");
    }
    if (dialect_ == Dialect::Postgres && lock == Lock::Table) {
        try {
            Exec("LOCK TABLE " + table_ + " IN SHARE ROW EXCLUSIVE MODE", {}, what);
        } catch (...) {
            Rollback();
            throw;
        }
    }
}

void Session::Commit(const std::string& what) {
    if (dialect_ == Dialect::SQLite) {
        Exec("COMMIT", {}, what);
    } else if (dialect_ == Dialect::MySql && lock_ == Lock::Table) {
        Exec("UNLOCK TABLES", {}, what);
    } else if (!db_.commit()) {
        const std::string reason = Reason(db_.lastError());
        Rollback();
        throw EDatabaseError(what + ": " + reason);
    }
}

void Session::Rollback() noexcept {
    try {
        if (dialect_ == Dialect::SQLite) {
            QSqlQuery(db_).exec("ROLLBACK");
        } else if (dialect_ == Dialect::MySql && lock_ == Lock::Table) {
            QSqlQuery(db_).exec("UNLOCK TABLES");
        } else {
            db_.rollback();
        }
    } catch (...) {
        // nothing more can be done: the connection, if lost, ends the transaction itself
    }
}

QString Session::ForUpdate() const {
    return dialect_ == Dialect::Postgres || dialect_ == Dialect::MySql ? " FOR UPDATE" : "";
}

} // namespace zel::host::qtsql
