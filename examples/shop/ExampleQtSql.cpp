// The example's user table on a MariaDB or MySQL server, through Qt SQL.
#include "ExampleShop.h"
#include "zel/host/core/Errors.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <atomic>

namespace zel::example {

std::string QtSqlDatabase::Describe() const {
    std::string where = "MariaDB database '" + database + "'";
    if (!socket.empty()) {
        where += " at " + socket;
    } else if (!host.empty()) {
        where += " on " + host + (port > 0 ? ":" + std::to_string(port) : "");
    }
    return user.empty() ? where : where + " as " + user;
}

std::optional<QtSqlDatabase> QtSqlDatabaseOf(const std::string& address) {
    if (address.rfind("mariadb://", 0) != 0 && address.rfind("mysql://", 0) != 0) {
        return std::nullopt;
    }
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    if (!url.isValid()) {
        throw host::EDatabaseError("--database: not an address: " +
                                   url.errorString().toStdString());
    }
    if (!url.password().isEmpty()) {
        throw host::EDatabaseError("--database: leave the password out of the address (the "
                                   "forms would show it): put it into ~/.my.cnf");
    }
    QtSqlDatabase db;
    db.database = url.path().mid(1).toStdString();
    db.host = url.host().toStdString();
    db.user = url.userName().toStdString();
    db.port = url.port(0);
    db.socket = QUrlQuery(url).queryItemValue("socket", QUrl::FullyDecoded).toStdString();
    if (db.database.empty() || db.database.find('/') != std::string::npos) {
        throw host::EDatabaseError("--database: name one database: mariadb://host/shop");
    }
    return db;
}

namespace {
// Single quotes doubled, for a form file's string.
std::string Quoted(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\'' ? "''" : std::string(1, c);
    }
    return out;
}

class Connection {
public:
    explicit Connection(const QtSqlDatabase& target) : name_(NextName()) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QMYSQL", name_);
        db.setDatabaseName(QString::fromStdString(target.database));
        db.setHostName(QString::fromStdString(target.host));
        db.setUserName(QString::fromStdString(target.user));
        if (target.port > 0) {
            db.setPort(target.port);
        }
        if (!target.socket.empty()) {
            db.setConnectOptions("UNIX_SOCKET=" + QString::fromStdString(target.socket));
        }
        if (!db.open()) {
            throw host::EDatabaseError("Cannot connect to " + target.Describe() + ": " +
                                       db.lastError().text().toStdString());
        }
    }
    ~Connection() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlQuery Run(const QString& sql, const QVariantList& values = {}) {
        QSqlQuery q(QSqlDatabase::database(name_, false));
        bool ok = q.prepare(sql);
        for (const QVariant& v : values) {
            q.addBindValue(v);
        }
        if (!ok || !q.exec()) {
            throw host::EDatabaseError("Cannot make the example's user table: " +
                                       q.lastError().text().toStdString());
        }
        return q;
    }

private:
    static QString NextName() {
        static std::atomic<int> counter{0};
        return QString("zel_example_%1").arg(++counter);
    }
    QString name_;
};
} // namespace

bool MakeExampleQtSqlTable(const QtSqlDatabase& target, bool replace) {
    Connection db(target);
    const auto exists = [&](const char* table) {
        QSqlQuery q = db.Run("SELECT 1 FROM information_schema.TABLES WHERE TABLE_SCHEMA = "
                             "DATABASE() AND TABLE_NAME = ?",
                             {QString(table)});
        return q.next();
    };
    if (!replace && exists("users")) {
        return false;
    }
    db.Run("DROP TABLE IF EXISTS zel_users_new");
    // The rights are a BLOB: their 0xFF terminators are not text in every encoding.
    db.Run("CREATE TABLE zel_users_new (id INTEGER AUTO_INCREMENT PRIMARY KEY, login "
           "VARCHAR(255) NOT NULL, password VARCHAR(255) NOT NULL, rights BLOB, INDEX "
           "users_login (login)) CHARACTER SET utf8mb4");
    for (const ExampleUser& u : ExampleUsers()) {
        const std::string rights = StoredRights(u);
        db.Run("INSERT INTO zel_users_new (login, password, rights) VALUES (?, ?, ?)",
               {QString::fromStdString(u.login), QString::fromStdString(StoredPassword(u)),
                QByteArray(rights.data(), static_cast<qsizetype>(rights.size()))});
    }
    // One RENAME TABLE swaps both names at once: no moment without a users table.
    if (exists("users")) {
        db.Run("DROP TABLE IF EXISTS zel_users_old");
        db.Run("RENAME TABLE users TO zel_users_old, zel_users_new TO users");
        db.Run("DROP TABLE zel_users_old");
    } else {
        db.Run("RENAME TABLE zel_users_new TO users");
    }
    return true;
}

std::string QtSqlFormText(const std::string& formText, const QtSqlDatabase& target) {
    const std::string from = "TSQLiteTable\n    DatabaseName = 'shop.db'";
    std::string table =
        "TQtSqlTable\n    Driver = 'QMYSQL'\n    DatabaseName = '" + Quoted(target.database) + "'";
    if (!target.host.empty()) {
        table += "\n    HostName = '" + Quoted(target.host) + "'";
    }
    if (target.port > 0) {
        table += "\n    Port = " + std::to_string(target.port);
    }
    if (!target.user.empty()) {
        table += "\n    UserName = '" + Quoted(target.user) + "'";
    }
    if (!target.socket.empty()) {
        table += "\n    ConnectOptions = 'UNIX_SOCKET=" + Quoted(target.socket) + "'";
    }
    std::string text = formText;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1)) {
        text.replace(at, from.size(), table);
    }
    return text;
}

} // namespace zel::example
