#include "zel/host/sqlite/SQLiteTable.h"

#include "zel/host/core/CaseFold.h"
#include "zel/host/core/Errors.h"
#include "zel/host/core/TextEncoding.h"
#include "zel/host/sqlite/detail/SQLiteFinder.h"

#include <climits>
#include <filesystem>
#include <sqlite3.h>
#include <sys/stat.h>

namespace zel::host {

namespace {
constexpr int kBatchRows = 64;

TVariant ReadColumn(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return TVariant(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return TVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        int size = sqlite3_column_bytes(statement, column);
        return TVariant(std::string(text != nullptr ? text : "", static_cast<std::size_t>(size)));
    }
    case SQLITE_BLOB: {
        const auto* blob = static_cast<const char*>(sqlite3_column_blob(statement, column));
        int size = sqlite3_column_bytes(statement, column);
        return TVariant::Blob(blob != nullptr ? std::string(blob, static_cast<std::size_t>(size))
                                              : std::string());
    }
    default:
        return TVariant();
    }
}

// Binds `value` with its bytes as they are, as a BLOB or as TEXT.
int BindAs(sqlite3_stmt* statement, int index, const TVariant& value, bool asBlob) {
    switch (value.VarType()) {
    case TVariant::Type::Null:
        return sqlite3_bind_null(statement, index);
    case TVariant::Type::Integer:
        return sqlite3_bind_int64(statement, index, value.AsInteger());
    case TVariant::Type::Float:
        return sqlite3_bind_double(statement, index, value.AsFloat());
    case TVariant::Type::String:
    case TVariant::Type::Blob: {
        const std::string& bytes = value.Bytes();
        if (asBlob) {
            return sqlite3_bind_blob64(statement, index, bytes.data(), bytes.size(),
                                       SQLITE_TRANSIENT);
        }
        return sqlite3_bind_text64(statement, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    }
    }
    return SQLITE_MISUSE;
}
} // namespace

const TClassInfo& TSQLiteTable::StaticClass() {
    static const TClassInfo info{
        "TSQLiteTable",
        &TDataSet::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TSQLiteTable(owner); },
        {
            StringProp<TSQLiteTable>("DatabaseName", &TSQLiteTable::DatabaseName,
                                     &TSQLiteTable::SetDatabaseName),
            StringProp<TSQLiteTable>("TableName", &TSQLiteTable::TableName,
                                     &TSQLiteTable::SetTableName),
            BoolProp<TSQLiteTable>("ReadOnly", &TSQLiteTable::ReadOnly, &TSQLiteTable::SetReadOnly,
                                   false),
            IntProp<TSQLiteTable, int>("BusyTimeout", &TSQLiteTable::BusyTimeout,
                                       &TSQLiteTable::SetBusyTimeout, 5000),
            BoolProp<TDataSet>("Active", &TDataSet::GetActive, &TDataSet::SetActive, false),
        }};
    return info;
}

TSQLiteTable::TSQLiteTable(TComponent* owner) : TDataSet(owner) {}

TSQLiteTable::~TSQLiteTable() {
    Close();
}

void TSQLiteTable::SetDatabaseName(const std::string& name) {
    CheckInactive("DatabaseName");
    databaseName_ = name;
}

void TSQLiteTable::SetTableName(const std::string& name) {
    CheckInactive("TableName");
    tableName_ = name;
}

void TSQLiteTable::SetReadOnly(bool readOnly) {
    CheckInactive("ReadOnly");
    readOnly_ = readOnly;
}

void TSQLiteTable::SetBusyTimeout(int milliseconds) {
    busyTimeout_ = milliseconds < 0 ? 0 : milliseconds;
    if (db_ != nullptr) {
        sqlite3_busy_timeout(db_, busyTimeout_);
    }
}

bool TSQLiteTable::CanModify() const {
    return Active() && !readOnly_ && sqlite3_db_readonly(db_, "main") == 0;
}

std::string TSQLiteTable::WhyReadOnly() const {
    return Active() && !readOnly_ ? "the database file may not be written" : "";
}

std::string TSQLiteTable::DisplayName() const {
    std::string text = "table '" + tableName_ + "'";
    if (!databaseName_.empty()) {
        text += " of database '" + databaseName_ + "'";
    }
    return text;
}

void TSQLiteTable::Fail(const std::string& what) const {
    if (db_ == nullptr) {
        throw EDatabaseError(what + ": out of memory");
    }
    const std::string detail = sqlite3_errmsg(db_);
    switch (sqlite3_errcode(db_)) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw EDatabaseLocked(what + ": " + detail);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        throw EDatabaseDamaged(what + ": database '" + DatabasePath() + "' is damaged (" + detail +
                               ")");
    default:
        throw EDatabaseError(what + ": " + detail);
    }
}

sqlite3_stmt* TSQLiteTable::Prepare(const std::string& sql) const {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr) !=
        SQLITE_OK) {
        Fail("Cannot read " + DisplayName());
    }
    return statement;
}

std::string TSQLiteTable::ColumnList() const {
    std::string list = rowidName_;
    for (const std::string& c : columns_) {
        list += ", " + QuoteIdentifier(c);
    }
    return list;
}

std::string TSQLiteTable::DatabasePath() const {
    if (formFolder_.empty() || databaseName_.empty() || databaseName_.rfind("file:", 0) == 0 ||
        databaseName_ == ":memory:") {
        return databaseName_;
    }
    std::filesystem::path path(databaseName_);
    return path.is_absolute() ? databaseName_
                              : (std::filesystem::path(formFolder_) / path).string();
}

std::vector<std::string> TSQLiteTable::InternalOpen() {
    if (databaseName_.empty()) {
        throw EDatabaseError("No database file given for " + DisplayName());
    }
    if (tableName_.empty()) {
        throw EDatabaseError("No table name given for the dataset of database '" + databaseName_ +
                             "'");
    }
    const std::string path = DatabasePath();
    // A file nobody may write is opened read-only, for the superuser too, whom the file
    // system would let write it anyway.
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    // A FIFO would block the first read for ever; a directory or device is no database.
    if (exists && !S_ISREG(info.st_mode)) {
        throw EDatabaseError("Cannot open database '" + path + "': it is not a regular file");
    }
    const bool writeProtected = exists && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    int flags = (readOnly_ || writeProtected ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                SQLITE_OPEN_URI;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string detail = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw EDatabaseError("Cannot open database '" + path + "': " + detail);
    }
    try {
        sqlite3_busy_timeout(db_, busyTimeout_);

        sqlite3_stmt* pragma = Prepare("PRAGMA encoding");
        std::string encoding;
        if (sqlite3_step(pragma) == SQLITE_ROW) {
            encoding = reinterpret_cast<const char*>(sqlite3_column_text(pragma, 0));
        }
        sqlite3_finalize(pragma);
        if (encoding != "UTF-8") {
            throw EDatabaseError(
                "Database '" + databaseName_ + "' stores text as " + encoding +
                ", which would alter 8-bit text; only UTF-8 databases are supported");
        }

        columns_.clear();
        columnTypes_.clear();
        pragma = Prepare("PRAGMA table_info(" + QuoteIdentifier(tableName_) + ")");
        int rc;
        while ((rc = sqlite3_step(pragma)) == SQLITE_ROW) {
            columns_.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(pragma, 1)));
            const unsigned char* type = sqlite3_column_text(pragma, 2);
            columnTypes_.emplace_back(type != nullptr ? reinterpret_cast<const char*>(type) : "");
        }
        sqlite3_finalize(pragma);
        if (rc != SQLITE_DONE) {
            Fail("Cannot read the columns of " + DisplayName());
        }
        if (columns_.empty()) {
            throw EDatabaseError("Table '" + tableName_ + "' not found in database '" +
                                 databaseName_ + "'");
        }

        // Records are read and saved by rowid: a view or a WITHOUT ROWID table has none.
        pragma = Prepare("PRAGMA table_list(" + QuoteIdentifier(tableName_) + ")");
        std::string kind;
        bool withoutRowid = false;
        if (sqlite3_step(pragma) == SQLITE_ROW) {
            const unsigned char* type = sqlite3_column_text(pragma, 2);
            kind = type != nullptr ? reinterpret_cast<const char*>(type) : "";
            withoutRowid = sqlite3_column_int(pragma, 4) != 0;
        }
        sqlite3_finalize(pragma);
        if (kind == "view" || withoutRowid) {
            throw EDatabaseError("Table '" + tableName_ + "' of database '" + databaseName_ +
                                 "' is " + (withoutRowid ? "a WITHOUT ROWID table" : "a view") +
                                 ": its records have no row id to be addressed by");
        }

        // The rowid is reachable under three names; take one that no column shadows.
        rowidName_.clear();
        for (const char* candidate : {"rowid", "_rowid_", "oid"}) {
            bool shadowed = false;
            for (const std::string& c : columns_) {
                shadowed = shadowed || SameText(c, candidate);
            }
            if (!shadowed) {
                rowidName_ = candidate;
                break;
            }
        }
        if (rowidName_.empty()) {
            throw EDatabaseError(
                "Table '" + tableName_ +
                "' has columns named rowid, _rowid_ and oid; its records cannot be addressed");
        }

        const std::string select =
            "SELECT " + ColumnList() + " FROM " + QuoteIdentifier(tableName_);
        const std::string order =
            " ORDER BY " + rowidName_ + " LIMIT " + std::to_string(kBatchRows);
        firstBatch_ = Prepare(select + order);
        nextBatch_ = Prepare(select + " WHERE " + rowidName_ + " > ?1" + order);
        fromBatch_ = Prepare(select + " WHERE " + rowidName_ + " >= ?1" + order);
        lastRow_ = Prepare(select + " ORDER BY " + rowidName_ + " DESC LIMIT 1");
        oneRow_ = Prepare(select + " WHERE " + rowidName_ + " = ?1");
    } catch (...) {
        InternalClose();
        throw;
    }
    return columns_;
}

void TSQLiteTable::InternalClose() {
    finders_.clear(); // their statements go before the connection
    for (sqlite3_stmt** statement : {&firstBatch_, &nextBatch_, &fromBatch_, &lastRow_, &oneRow_}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    sqlite3_close(db_);
    db_ = nullptr;
    batch_.clear();
    position_ = 0;
}

bool TSQLiteTable::Fetch(sqlite3_stmt* statement, std::optional<std::int64_t> bound,
                         std::optional<std::int64_t> after) {
    sqlite3_reset(statement);
    if (bound) {
        sqlite3_bind_int64(statement, 1, *bound);
    }
    std::vector<Row> rows;
    rows.reserve(kBatchRows);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        Row row{sqlite3_column_int64(statement, 0), {}};
        // A cursor must always move forward. A damaged b-tree can hand back rows out of
        // order, and asking again for "the rows after" would then never end.
        if (after && row.rowid <= *after) {
            sqlite3_reset(statement);
            RaiseOutOfOrder(row.rowid, *after);
        }
        after = row.rowid;
        row.values.reserve(columns_.size());
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            row.values.push_back(ReadColumn(statement, static_cast<int>(c) + 1));
        }
        rows.push_back(std::move(row));
    }
    // Resetting ends the read transaction: nothing stays locked between calls.
    sqlite3_reset(statement);
    if (rc != SQLITE_DONE) {
        Fail("Cannot read " + DisplayName());
    }
    if (rows.empty()) {
        return false;
    }
    batch_ = std::move(rows);
    position_ = 0;
    return true;
}

void TSQLiteTable::RaiseOutOfOrder(std::int64_t rowid, std::int64_t after) const {
    throw EDatabaseDamaged("Cannot read " + DisplayName() + ": database '" + DatabasePath() +
                           "' is damaged (row id " + std::to_string(rowid) + " came after row id " +
                           std::to_string(after) + "; PRAGMA integrity_check tells more)");
}

SQLiteFinder& TSQLiteTable::FinderOf(std::size_t column) {
    finders_.resize(columns_.size());
    if (!finders_[column]) {
        finders_[column] =
            std::make_unique<SQLiteFinder>(db_, QuoteIdentifier(tableName_), rowidName_,
                                           QuoteIdentifier(columns_[column]), columnTypes_[column]);
    }
    return *finders_[column];
}

std::optional<bool> TSQLiteTable::InternalLocate(int field, const std::string& text,
                                                 std::vector<TVariant>& values) {
    const auto column = static_cast<std::size_t>(field);
    SQLiteFinder& finder = FinderOf(column);
    // One read transaction: the row found is the row then fetched, whoever writes meanwhile.
    if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail("Cannot read " + DisplayName());
    }
    struct End {
        sqlite3* db;
        ~End() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
    } end{db_};
    const SQLiteFinder::Result r = finder.Find(text);
    if (r.failed) {
        Fail("Cannot read " + DisplayName());
    }
    if (r.before) {
        RaiseOutOfOrder(*r.rowid, *r.before);
    }
    batch_.clear();
    if (r.rowid) {
        if (!Fetch(oneRow_, *r.rowid, std::nullopt)) {
            throw EDatabaseError("Cannot read " + DisplayName() + ": row id " +
                                 std::to_string(*r.rowid) + " was found and then not read");
        }
    } else if (!Fetch(lastRow_, std::nullopt, std::nullopt)) {
        return false; // an empty table
    }
    Deliver(values);
    return r.rowid.has_value();
}

void TSQLiteTable::Deliver(std::vector<TVariant>& values) {
    const Row& row = batch_[position_];
    currentRowid_ = row.rowid;
    values = row.values; // the batch keeps its copy for Post
}

bool TSQLiteTable::InternalFirst(std::vector<TVariant>& values) {
    batch_.clear();
    if (!Fetch(firstBatch_, std::nullopt, std::nullopt)) {
        return false;
    }
    Deliver(values);
    return true;
}

bool TSQLiteTable::InternalNext(std::vector<TVariant>& values) {
    if (position_ + 1 < batch_.size()) {
        ++position_;
    } else if (batch_.empty()) {
        return false;
    } else {
        const std::int64_t last = batch_.back().rowid;
        if (!Fetch(nextBatch_, last, last)) {
            return false; // the last record stays current
        }
    }
    Deliver(values);
    return true;
}

bool TSQLiteTable::InternalReread(std::vector<TVariant>& values) {
    if (batch_.empty()) {
        return false;
    }
    if (!Fetch(oneRow_, currentRowid_, std::nullopt)) {
        return false; // gone: Fetch left the batch, and the old values, as they were
    }
    Deliver(values);
    return true;
}

bool TSQLiteTable::InternalRefresh(std::vector<TVariant>& values) {
    const bool had = !batch_.empty();
    batch_.clear();
    if ((had && Fetch(fromBatch_, currentRowid_, std::nullopt)) ||
        (!had && Fetch(firstBatch_, std::nullopt, std::nullopt)) ||
        Fetch(lastRow_, std::nullopt, std::nullopt)) {
        Deliver(values);
        return true;
    }
    return false;
}

void TSQLiteTable::InternalPost(const std::vector<const TField*>& changed,
                                const std::vector<const TField*>& read,
                                std::vector<TVariant>& stored) {
    if (!CanModify()) {
        RaiseReadOnly();
    }
    std::string sql = "UPDATE " + QuoteIdentifier(tableName_) + " SET ";
    for (std::size_t i = 0; i < changed.size(); ++i) {
        sql += (i > 0 ? ", " : "") + QuoteIdentifier(changed[i]->FieldName()) + " = ?";
    }
    // The record must still be the one read, every field of it: a row id freed by a
    // deleted record can be taken by another. Compared byte for byte, whatever the
    // column's collation (one that only its application registers included).
    sql += " WHERE " + rowidName_ + " = ?";
    for (const TField* f : read) {
        sql += " AND " + QuoteIdentifier(f->FieldName()) + " IS ? COLLATE BINARY";
    }
    sqlite3_stmt* statement = Prepare(sql);
    // A new value goes in as TEXT only when it is valid UTF-8; the 8-bit rights text with
    // its 0xFF terminators is not, and as TEXT it would break other readers of the table.
    std::vector<bool> asBlob;
    for (const TField* f : changed) {
        const TVariant& v = f->AsVariant();
        asBlob.push_back(f->OldValue().VarType() == TVariant::Type::Blob ||
                         v.VarType() == TVariant::Type::Blob ||
                         (v.VarType() == TVariant::Type::String && !IsValidUtf8(v.Bytes())));
    }
    int index = 1;
    bool bound = true;
    for (std::size_t i = 0; i < changed.size(); ++i) {
        bound =
            bound && BindAs(statement, index++, changed[i]->AsVariant(), asBlob[i]) == SQLITE_OK;
    }
    bound = bound && sqlite3_bind_int64(statement, index++, currentRowid_) == SQLITE_OK;
    for (const TField* f : read) {
        bool blob = f->OldValue().VarType() == TVariant::Type::Blob;
        bound = bound && BindAs(statement, index++, f->OldValue(), blob) == SQLITE_OK;
    }
    int rc = bound ? sqlite3_step(statement) : SQLITE_ERROR;
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        Fail("Cannot save the record of " + DisplayName());
    }
    if (sqlite3_changes(db_) == 0) {
        throw ERecordChanged();
    }
    // Keep the values as the table now holds them, so a later Post compares correctly.
    Row& row = batch_[position_];
    stored.clear();
    for (std::size_t i = 0; i < changed.size(); ++i) {
        const TField* f = changed[i];
        TVariant value = f->AsVariant();
        if (value.VarType() == TVariant::Type::String || value.VarType() == TVariant::Type::Blob) {
            value = asBlob[i] ? TVariant::Blob(value.Bytes()) : TVariant(value.Bytes());
        }
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            if (columns_[c] == f->FieldName()) {
                row.values[c] = value;
            }
        }
        stored.push_back(std::move(value));
    }
}

} // namespace zel::host

namespace zel::host {

namespace {
// A new value's text goes in as TEXT only when it is valid UTF-8, as Post writes it.
bool AsBlob(const TVariant& value) {
    return value.VarType() == TVariant::Type::Blob ||
           (value.VarType() == TVariant::Type::String && !IsValidUtf8(value.Bytes()));
}
} // namespace

int TSQLiteTable::Write(const std::string& sql, const std::vector<Bound>& values,
                        const std::string& what) {
    sqlite3_stmt* statement = Prepare(sql);
    bool bound = true;
    int index = 1;
    for (const Bound& v : values) {
        bound = bound && BindAs(statement, index++, *v.value, v.asBlob) == SQLITE_OK;
    }
    const int rc = bound ? sqlite3_step(statement) : SQLITE_ERROR;
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        Fail(what);
    }
    return sqlite3_changes(db_);
}

bool TSQLiteTable::InternalAppendUnique(const std::vector<TFieldValue>& values,
                                        std::size_t unique) {
    const std::string what = "Cannot add a record to " + DisplayName();
    std::string names, marks;
    std::vector<Bound> bound;
    for (const TFieldValue& v : values) {
        names += (names.empty() ? "" : ", ") + QuoteIdentifier(v.field);
        marks += marks.empty() ? "?" : ", ?";
        bound.push_back({&v.value, AsBlob(v.value)});
    }
    std::size_t column = 0;
    while (column < columns_.size() &&
           FoldCase(columns_[column]) != FoldCase(values[unique].field)) {
        ++column;
    }
    // The write lock first: nobody can add the same value between the search and the write.
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail(what);
    }
    try {
        const SQLiteFinder::Result found = FinderOf(column).Find(VarToStr(values[unique].value));
        if (found.failed) {
            Fail(what);
        }
        if (found.rowid) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
        Write("INSERT INTO " + QuoteIdentifier(tableName_) + " (" + names + ") VALUES (" + marks +
                  ")",
              bound, what);
        if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            Fail(what);
        }
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return true;
}

void TSQLiteTable::InternalDelete(const std::vector<const TField*>& read) {
    // As a save: only the record read, every field still as it was (a freed row id can be
    // taken by another record).
    std::string sql =
        "DELETE FROM " + QuoteIdentifier(tableName_) + " WHERE " + rowidName_ + " = ?";
    const TVariant rowid(static_cast<std::int64_t>(currentRowid_));
    std::vector<Bound> bound{{&rowid, false}};
    for (const TField* f : read) {
        sql += " AND " + QuoteIdentifier(f->FieldName()) + " IS ? COLLATE BINARY";
        bound.push_back({&f->OldValue(), f->OldValue().VarType() == TVariant::Type::Blob});
    }
    if (Write(sql, bound, "Cannot delete the record of " + DisplayName()) == 0) {
        throw ERecordChanged();
    }
}

void RegisterSQLiteClasses() {
    RegisterClass(TSQLiteTable::StaticClass());
}

namespace {
// Loading the library makes its classes known, as a unit's initialization does.
[[maybe_unused]] const bool kRegistered = (RegisterSQLiteClasses(), true);
} // namespace

} // namespace zel::host
