#include "zel/host/qtsql/QtSqlTable.h"

#include "zel/host/core/CaseFold.h"
#include "zel/host/core/Errors.h"
#include "zel/host/qtsql/detail/QtSqlSession.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace zel::host {

namespace {
constexpr int kFirstBatch = 64; // the first user is usually near the start
constexpr int kMaxBatch = 1024;
} // namespace

// The session and the statements built once from what it learnt of the table.
class TQtSqlTable::Session : public qtsql::Session {
public:
    Session(const qtsql::Settings& settings, const std::string& table, const std::string& name)
        : qtsql::Session(settings, table, name) {
        for (const qtsql::Column& c : Columns()) {
            list += (list.isEmpty() ? "" : ", ") + c.quoted;
        }
        QString order, marks;
        for (std::size_t i = 0; i < Key().size(); ++i) {
            const QString& name = Columns()[Key()[i]].quoted;
            order += (i > 0 ? ", " : "") + name;
            descending += (i > 0 ? ", " : "") + name + " DESC";
            marks += i > 0 ? ", ?" : "?";
            byKey += (i > 0 ? " AND " : " WHERE ") + name + " = ?";
        }
        orderBy = Key().empty() ? "" : " ORDER BY " + order;
        // One column compares as itself, several as a row.
        const QString row = Key().size() == 1 ? order : "(" + order + ")";
        const QString values = Key().size() == 1 ? marks : "(" + marks + ")";
        after = " WHERE " + row + " > " + values;
        from = " WHERE " + row + " >= " + values;
        selectByKey = "SELECT " + list + " FROM " + Table() + byKey;
    }

    // The column of the field `name`, or Fields() where the table has none.
    std::size_t ColumnOf(const std::string& name) const {
        std::size_t c = 0;
        while (c < Fields() && Columns()[c].name != name) {
            ++c;
        }
        return c;
    }

    QString list; // every column read, the hidden key last
    QString orderBy, descending, byKey, after, from;
    QString selectByKey; // the one record whose key is bound
};

const TClassInfo& TQtSqlTable::StaticClass() {
    static const TClassInfo info{
        "TQtSqlTable",
        &TDataSet::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TQtSqlTable(owner); },
        {
            StringProp<TQtSqlTable>("Driver", &TQtSqlTable::Driver, &TQtSqlTable::SetDriver),
            StringProp<TQtSqlTable>("DatabaseName", &TQtSqlTable::DatabaseName,
                                    &TQtSqlTable::SetDatabaseName),
            StringProp<TQtSqlTable>("HostName", &TQtSqlTable::HostName, &TQtSqlTable::SetHostName),
            IntProp<TQtSqlTable, int>("Port", &TQtSqlTable::Port, &TQtSqlTable::SetPort, 0),
            StringProp<TQtSqlTable>("UserName", &TQtSqlTable::UserName, &TQtSqlTable::SetUserName),
            StringProp<TQtSqlTable>("ConnectOptions", &TQtSqlTable::ConnectOptions,
                                    &TQtSqlTable::SetConnectOptions),
            StringProp<TQtSqlTable>("ConnectionName", &TQtSqlTable::ConnectionName,
                                    &TQtSqlTable::SetConnectionName),
            StringProp<TQtSqlTable>("TableName", &TQtSqlTable::TableName,
                                    &TQtSqlTable::SetTableName),
            BoolProp<TQtSqlTable>("ReadOnly", &TQtSqlTable::ReadOnly, &TQtSqlTable::SetReadOnly,
                                  false),
            BoolProp<TDataSet>("Active", &TDataSet::GetActive, &TDataSet::SetActive, false),
        }};
    return info;
}

TQtSqlTable::TQtSqlTable(TComponent* owner) : TDataSet(owner) {
    Rename();
}

TQtSqlTable::~TQtSqlTable() {
    Close();
}

#define ZEL_SETTER(Name, member)                                                                   \
    void TQtSqlTable::Set##Name(const std::string& value) {                                        \
        CheckInactive(#Name);                                                                      \
        member = value;                                                                            \
        Rename();                                                                                  \
    }
ZEL_SETTER(Driver, driver_)
ZEL_SETTER(DatabaseName, databaseName_)
ZEL_SETTER(HostName, hostName_)
ZEL_SETTER(UserName, userName_)
ZEL_SETTER(ConnectOptions, connectOptions_)
ZEL_SETTER(ConnectionName, connectionName_)
ZEL_SETTER(TableName, tableName_)
#undef ZEL_SETTER

void TQtSqlTable::SetPort(int port) {
    CheckInactive("Port");
    port_ = std::max(0, port);
    Rename();
}

void TQtSqlTable::SetReadOnly(bool readOnly) {
    CheckInactive("ReadOnly");
    readOnly_ = readOnly;
}

bool TQtSqlTable::ConnectOptionsHavePassword() const {
    // Qt's options are NAME=value pairs split by ';' (libpq's words, for QPSQL).
    const std::string folded = FoldCase(connectOptions_);
    return folded.find("password") != std::string::npos ||
           folded.find("passwd") != std::string::npos;
}

bool TQtSqlTable::CanModify() const {
    return Active() && !readOnly_ && session_ && !session_->Key().empty();
}

std::string TQtSqlTable::WhyReadOnly() const {
    if (!Active() || readOnly_ || !session_ || !session_->Key().empty()) {
        return {};
    }
    return "the table has no primary key, so its records cannot be told apart";
}

std::string TQtSqlTable::DisplayName() const {
    return displayName_;
}

void TQtSqlTable::Rename() {
    // Never the connect options: they may hold what should not be shown.
    std::string where;
    if (!connectionName_.empty()) {
        where = "Qt SQL connection '" + connectionName_ + "'";
    } else {
        where = driver_ + " database '" + databaseName_ + "'";
        if (!hostName_.empty()) {
            where += " on " + hostName_ + (port_ > 0 ? ":" + std::to_string(port_) : "");
        }
        if (!userName_.empty()) {
            where += " as " + userName_;
        }
    }
    displayName_ = "table '" + tableName_ + "' of " + where;
}

std::vector<std::string> TQtSqlTable::InternalOpen() {
    if (tableName_.empty()) {
        throw EDatabaseError("No table name given for the dataset of " +
                             displayName_.substr(displayName_.find(" of ") + 4));
    }
    std::string database = databaseName_;
    if (driver_ == "QSQLITE" && !formFolder_.empty() && !database.empty() &&
        database != ":memory:" && database.rfind("file:", 0) != 0 &&
        std::filesystem::path(database).is_relative()) {
        database = (std::filesystem::path(formFolder_) / database).string();
    }
    const qtsql::Settings settings{driver_,         database,        hostName_, userName_,
                                   connectOptions_, connectionName_, port_,     readOnly_};
    session_ = std::make_unique<Session>(settings, tableName_, displayName_);
    std::vector<std::string> names;
    for (std::size_t c = 0; c < session_->Fields(); ++c) {
        names.push_back(session_->Columns()[c].name);
    }
    return names;
}

void TQtSqlTable::InternalClose() {
    session_.reset();
    batch_.clear();
    position_ = 0;
    ended_ = true;
}

std::vector<TVariant> TQtSqlTable::KeyOf(const std::vector<TVariant>& row) const {
    std::vector<TVariant> key;
    for (std::size_t column : session_->Key()) {
        key.push_back(row[column]);
    }
    return key;
}

namespace {
std::vector<QVariant> Params(const qtsql::Session& s, const std::vector<TVariant>& key) {
    std::vector<QVariant> params;
    for (std::size_t i = 0; i < s.Key().size(); ++i) {
        const qtsql::Column& c = s.Columns()[s.Key()[i]];
        params.push_back(qtsql::ToQt(key[i], c.kind, c.type));
    }
    return params;
}
} // namespace

bool TQtSqlTable::ReadBatch(const std::vector<TVariant>* key, bool inclusive) {
    Session& s = *session_;
    QString sql = "SELECT " + s.list + " FROM " + s.Table();
    std::vector<QVariant> params;
    if (key != nullptr) {
        sql += inclusive ? s.from : s.after;
        params = Params(s, *key);
    }
    sql += s.orderBy + QString(" LIMIT %1").arg(batchRows_);
    if (s.Key().empty() && offset_ > 0) {
        sql += QString(" OFFSET %1").arg(offset_); // no key to go on after: the count read
    }
    std::vector<qtsql::Row> rows = s.Query(sql, params, "Cannot read " + DisplayName());
    ended_ = rows.size() < static_cast<std::size_t>(batchRows_);
    batchRows_ = std::min(batchRows_ * 4, kMaxBatch);
    if (rows.empty()) {
        return false;
    }
    offset_ += rows.size();
    batch_ = std::move(rows);
    position_ = 0;
    return true;
}

void TQtSqlTable::Deliver(std::vector<TVariant>& values) const {
    const auto& row = batch_[position_];
    values.assign(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(session_->Fields()));
}

bool TQtSqlTable::InternalFirst(std::vector<TVariant>& values) {
    session_->Revive();
    batch_.clear();
    batchRows_ = kFirstBatch;
    offset_ = 0;
    if (!ReadBatch(nullptr, false)) {
        return false;
    }
    Deliver(values);
    return true;
}

bool TQtSqlTable::InternalNext(std::vector<TVariant>& values) {
    if (position_ + 1 < batch_.size()) {
        ++position_;
    } else if (batch_.empty() || ended_) {
        return false; // the last record stays current
    } else {
        session_->Revive();
        const std::vector<TVariant> last = KeyOf(batch_.back());
        if (!ReadBatch(session_->Key().empty() ? nullptr : &last, false)) {
            return false;
        }
    }
    Deliver(values);
    return true;
}

bool TQtSqlTable::InternalReread(std::vector<TVariant>& values) {
    if (batch_.empty() || session_->Key().empty()) {
        return false;
    }
    session_->Revive();
    Session& s = *session_;
    std::vector<qtsql::Row> rows =
        s.Query(s.selectByKey, Params(s, KeyOf(batch_[position_])), "Cannot read " + DisplayName());
    if (rows.size() != 1) {
        return false; // gone: stay where we were, the old values untouched
    }
    batch_[position_] = std::move(rows[0]);
    Deliver(values);
    return true;
}

bool TQtSqlTable::InternalRefresh(std::vector<TVariant>& values) {
    session_->Revive();
    if (batch_.empty() || session_->Key().empty()) {
        return InternalFirst(values);
    }
    const std::vector<TVariant> current = KeyOf(batch_[position_]);
    batchRows_ = kFirstBatch;
    if (!ReadBatch(&current, true) && !ReadLastRow()) {
        return false;
    }
    Deliver(values);
    return true;
}

bool TQtSqlTable::ReadLastRow() {
    Session& s = *session_;
    std::vector<qtsql::Row> rows = s.Query("SELECT " + s.list + " FROM " + s.Table() +
                                               " ORDER BY " + s.descending + " LIMIT 1",
                                           {}, "Cannot read " + DisplayName());
    batch_.clear();
    ended_ = true;
    if (rows.empty()) {
        return false;
    }
    batch_.push_back(std::move(rows[0]));
    position_ = 0;
    return true;
}

namespace {
// Where the database's own "=" finds every record whose column reads as `text` (and
// perhaps more, by its collation): the value to compare with, or none.
std::vector<QVariant> Candidates(const qtsql::Session& s, const qtsql::Column& c,
                                 const std::string& text) {
    switch (c.kind) {
    case qtsql::Kind::Bytes:
        return {QByteArray(text.data(), static_cast<qsizetype>(text.size()))};
    case qtsql::Kind::Integer: {
        std::int64_t number = 0;
        const char* end = text.data() + text.size();
        const auto [p, ec] = std::from_chars(text.data(), end, number);
        if (ec == std::errc{} && p == end && std::to_string(number) == text) {
            return {QVariant(static_cast<qlonglong>(number))};
        }
        return {};
    }
    case qtsql::Kind::Float:
        return {};
    case qtsql::Kind::Text:
        break;
    }
    std::optional<QString> value = qtsql::TextToQt(text);
    if (!value) {
        return {}; // no text of the database reads as it; a value kept as bytes may
    }
    if (s.SqlDialect() == qtsql::Dialect::SQLite) {
        // SQLite keeps what is not UTF-8 as a BLOB, in any column.
        return {*value, QByteArray(text.data(), static_cast<qsizetype>(text.size()))};
    }
    return {*value};
}
} // namespace

std::optional<std::vector<TVariant>> TQtSqlTable::FindKey(std::size_t column,
                                                          const std::string& text) {
    Session& s = *session_;
    const qtsql::Column& c = s.Columns()[column];
    QString keyAnd = "SELECT ";
    for (std::size_t k : s.Key()) {
        keyAnd += s.Columns()[k].quoted + ", ";
    }
    keyAnd += c.quoted + " FROM " + s.Table();
    const auto at = s.Key().size();
    const std::string what = "Cannot read " + DisplayName();
    const auto first =
        [&](const std::vector<qtsql::Row>& rows) -> std::optional<std::vector<TVariant>> {
        for (const qtsql::Row& row : rows) {
            if (!row[at].IsNull() && !row[at].IsForeign() && VarToStr(row[at]) == text) {
                return std::vector<TVariant>(row.begin(), row.begin() + static_cast<long>(at));
            }
        }
        return std::nullopt;
    };
    const std::vector<QVariant> candidates = Candidates(s, c, text);
    if (!candidates.empty()) {
        QString where = " WHERE " + c.quoted + " = ?";
        if (candidates.size() == 2) {
            where += " OR " + c.quoted + " = ?";
        }
        try {
            // The exact comparison decides among what the collation found.
            return first(s.Query(keyAnd + where + s.orderBy, candidates, what));
        } catch (const EDatabaseLocked&) {
            throw;
        } catch (const EDatabaseError&) {
            // Text this column cannot hold (another character set): the scan decides. A
            // lost connection took any lock with it: nothing may go on.
            if (s.Lost()) {
                throw;
            }
        }
    }
    // Only the key and the one column travel, a batch at a time.
    std::optional<std::vector<TVariant>> found;
    std::vector<TVariant> last;
    for (std::size_t rows = kMaxBatch; !found && rows == kMaxBatch;) {
        std::vector<QVariant> params;
        QString sql = keyAnd;
        if (!last.empty()) {
            sql += s.after;
            params = Params(s, last);
        }
        const std::vector<qtsql::Row> batch =
            s.Query(sql + s.orderBy + QString(" LIMIT %1").arg(kMaxBatch), params, what);
        rows = batch.size();
        found = first(batch);
        if (!batch.empty()) {
            last.assign(batch.back().begin(), batch.back().begin() + static_cast<long>(at));
        }
    }
    return found;
}

std::optional<bool> TQtSqlTable::InternalLocate(int field, const std::string& text,
                                                std::vector<TVariant>& values) {
    if (session_->Key().empty()) {
        return std::nullopt; // without a key, the record found could not be gone back to
    }
    session_->Revive();
    const std::optional<std::vector<TVariant>> key = FindKey(static_cast<std::size_t>(field), text);
    batch_.clear();
    if (key) {
        Session& s = *session_;
        std::vector<qtsql::Row> rows =
            s.Query(s.selectByKey, Params(s, *key), "Cannot read " + DisplayName());
        if (rows.size() != 1) {
            return std::nullopt; // deleted in between: the slow way decides
        }
        // The record found, alone: reading goes on after it as after a scan to it.
        batch_.push_back(std::move(rows[0]));
        position_ = 0;
        ended_ = false;
        batchRows_ = kFirstBatch;
        Deliver(values);
        return true;
    }
    if (ReadLastRow()) {
        Deliver(values); // not found: the cursor stands on the last record, as after a scan
    }
    return false;
}

void TQtSqlTable::CheckStillAsRead(const std::vector<const TField*>& read) {
    Session& s = *session_;
    std::vector<qtsql::Row> rows =
        s.Query(s.selectByKey + s.ForUpdate(), Params(s, KeyOf(batch_[position_])),
                "Cannot read " + DisplayName());
    if (rows.size() != 1) {
        throw ERecordChanged(); // deleted
    }
    // Byte for byte, whatever the collation calls equal ('ADMIN' and 'admin ' on MariaDB).
    for (const TField* f : read) {
        const std::size_t c = s.ColumnOf(f->FieldName());
        if (c < s.Fields() && !(rows[0][c] == f->OldValue())) {
            throw ERecordChanged();
        }
    }
}

void TQtSqlTable::InternalPost(const std::vector<const TField*>& changed,
                               const std::vector<const TField*>& read,
                               std::vector<TVariant>& stored) {
    if (!CanModify()) {
        RaiseReadOnly();
    }
    session_->Revive();
    Session& s = *session_;
    const std::string what = "Cannot save the record of " + DisplayName();
    std::vector<std::size_t> targets;
    std::vector<QVariant> params;
    QString set;
    for (const TField* f : changed) {
        const std::size_t c = s.ColumnOf(f->FieldName());
        if (c < s.Fields()) {
            const qtsql::Column& column = s.Columns()[c];
            targets.push_back(c);
            params.push_back(qtsql::ToQt(f->AsVariant(), column.kind, column.type));
            set += (set.isEmpty() ? "" : ", ") + column.quoted + " = ?";
        }
    }
    const std::vector<TVariant> key = KeyOf(batch_[position_]);
    for (QVariant& v : Params(s, key)) {
        params.push_back(std::move(v));
    }
    s.Begin(qtsql::Session::Lock::Record, what);
    try {
        CheckStillAsRead(read);
        s.Exec("UPDATE " + s.Table() + " SET " + set + s.byKey, params, what);
        // What the database made of the values (a number column holds a number).
        std::vector<qtsql::Row> rows = s.Query(s.selectByKey, Params(s, key), what);
        s.Commit(what);
        if (rows.size() == 1) {
            batch_[position_] = std::move(rows[0]);
        }
    } catch (...) {
        s.Rollback();
        throw;
    }
    stored.clear();
    for (std::size_t c : targets) {
        stored.push_back(batch_[position_][c]);
    }
}

bool TQtSqlTable::InternalAppendUnique(const std::vector<TFieldValue>& values, std::size_t unique) {
    session_->Revive();
    Session& s = *session_;
    const std::string what = "Cannot add a record to " + DisplayName();
    QString names, marks;
    std::vector<QVariant> params;
    std::size_t uniqueColumn = s.Fields();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t c = s.ColumnOf(FieldByName(values[i].field).FieldName());
        if (c < s.Fields()) {
            const qtsql::Column& column = s.Columns()[c];
            params.push_back(qtsql::ToQt(values[i].value, column.kind, column.type));
            names += (names.isEmpty() ? "" : ", ") + column.quoted;
            marks += marks.isEmpty() ? "?" : ", ?";
            if (i == unique) {
                uniqueColumn = c;
            }
        }
    }
    // The table locked against every other writer first, so the search sees every record
    // that can exist when the new one is added.
    s.Begin(qtsql::Session::Lock::Table, what);
    try {
        if (uniqueColumn < s.Fields() && FindKey(uniqueColumn, VarToStr(values[unique].value))) {
            s.Commit(what);
            return false;
        }
        s.Exec("INSERT INTO " + s.Table() + " (" + names + ") VALUES (" + marks + ")", params,
               what);
        s.Commit(what);
    } catch (...) {
        s.Rollback();
        throw;
    }
    return true;
}

void TQtSqlTable::InternalDelete(const std::vector<const TField*>& read) {
    if (!CanModify()) {
        RaiseReadOnly();
    }
    session_->Revive();
    Session& s = *session_;
    const std::string what = "Cannot delete the record of " + DisplayName();
    s.Begin(qtsql::Session::Lock::Record, what);
    try {
        CheckStillAsRead(read);
        s.Exec("DELETE FROM " + s.Table() + s.byKey, Params(s, KeyOf(batch_[position_])), what);
        s.Commit(what);
    } catch (...) {
        s.Rollback();
        throw;
    }
}

void RegisterQtSqlClasses() {
    RegisterClass(TQtSqlTable::StaticClass());
}

namespace {
// Loading the library makes its classes known, as a unit's initialization does.
[[maybe_unused]] const bool kRegistered = (RegisterQtSqlClasses(), true);
} // namespace

} // namespace zel::host
