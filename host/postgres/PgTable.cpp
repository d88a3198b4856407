#include "zel/host/postgres/PgTable.h"

#include "zel/host/core/Errors.h"
#include "zel/host/data/SqlIdentifier.h"
#include "zel/host/postgres/PgConnectionString.h"
#include "zel/host/postgres/detail/PgConnection.h"
#include "zel/host/postgres/detail/PgText.h"

#include <algorithm>
#include <charconv>
#include <libpq-fe.h>

namespace zel::host {

namespace {
constexpr int kFirstBatch = 64; // the first user is usually near the start
constexpr int kMaxBatch = 1024;
constexpr const char* kCursor = "zel_rows";

// Built-in type OIDs (pg_type.h); other types travel as their text.
constexpr long kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26,
               kFloat4 = 700, kFloat8 = 701;

// How a column's values are read and sent.
enum ColumnKind { kText, kInteger, kFloat, kBoolean, kBytes };
} // namespace

struct TPgTable::Column {
    std::string name;
    std::string type; // as format_type names it, for casts of parameters
    ColumnKind kind = kText;
    bool comparable = true; // its type has an equality operator
};

// The statements of one opened table, built once from the names the server gave.
class TPgTable::Statements {
public:
    Statements(const std::string& table, const std::vector<Column>& columns,
               const std::vector<std::size_t>& key) {
        std::string list;
        for (const Column& c : columns) {
            list += (list.empty() ? "" : ", ") + QuoteIdentifier(c.name);
        }
        select = "SELECT " + list + " FROM " + table;
        std::string order, descending, keyList, keyParams;
        for (std::size_t i = 0; i < key.size(); ++i) {
            const Column& c = columns[key[i]];
            const std::string sep = i > 0 ? ", " : "";
            order += sep + QuoteIdentifier(c.name);
            descending += sep + QuoteIdentifier(c.name) + " DESC";
            keyParams += sep + "$" + std::to_string(i + 1) + "::" + c.type;
            byKey += std::string(i > 0 ? " AND " : " WHERE ") + QuoteIdentifier(c.name) + " = $" +
                     std::to_string(i + 1) + "::" + c.type;
        }
        orderBy = key.empty() ? "" : " ORDER BY " + order;
        const std::string declare = std::string("DECLARE ") + kCursor + " NO SCROLL CURSOR FOR ";
        first = declare + select + orderBy;
        after = declare + select + " WHERE (" + order + ") > (" + keyParams + ")" + orderBy;
        from = declare + select + " WHERE (" + order + ") >= (" + keyParams + ")" + orderBy;
        last = select + " ORDER BY " + descending + " LIMIT 1";
        reread = select + byKey;
    }
    std::string select, orderBy, byKey, first, after, from, last, reread;
};

namespace {
TVariant ReadValue(const pg::Result& r, int row, int column, ColumnKind kind) {
    if (r.IsNull(row, column)) {
        return TVariant();
    }
    const std::string_view text = r.Raw(row, column);
    switch (kind) {
    case kInteger: {
        std::int64_t value = 0;
        if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc()) {
            return TVariant(value);
        }
        break;
    }
    case kFloat: {
        double value = 0;
        if (std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc()) {
            return TVariant(value);
        }
        break;
    }
    case kBoolean:
        return TVariant(static_cast<std::int64_t>(text == "t" ? 1 : 0));
    case kBytes: {
        std::size_t size = 0;
        const std::string escaped(text);
        unsigned char* bytes =
            PQunescapeBytea(reinterpret_cast<const unsigned char*>(escaped.c_str()), &size);
        if (bytes == nullptr) {
            throw EDatabaseError("Out of memory reading a bytea value");
        }
        std::string value(reinterpret_cast<const char*>(bytes), size);
        PQfreemem(bytes);
        return TVariant::Blob(std::move(value));
    }
    case kText:
        break;
    }
    if (std::optional<std::string> held = r.Text(row, column)) {
        return TVariant(std::move(*held));
    }
    return TVariant::Foreign(pg::Escaped(text), std::string(text));
}

std::string NumberText(const TVariant& value) {
    if (value.VarType() == TVariant::Type::Integer) {
        return std::to_string(value.AsInteger());
    }
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value.AsFloat()).ptr;
    return std::string(buffer, end);
}
} // namespace

const TClassInfo& TPgTable::StaticClass() {
    static const TClassInfo info{
        "TPgTable",
        &TDataSet::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TPgTable(owner); },
        {
            StringProp<TPgTable>("ConnectionString", &TPgTable::ConnectionString,
                                 &TPgTable::SetConnectionString),
            StringProp<TPgTable>("TableName", &TPgTable::TableName, &TPgTable::SetTableName),
            BoolProp<TPgTable>("ReadOnly", &TPgTable::ReadOnly, &TPgTable::SetReadOnly, false),
            IntProp<TPgTable, int>("StatementTimeout", &TPgTable::StatementTimeout,
                                   &TPgTable::SetStatementTimeout, 30000),
            BoolProp<TDataSet>("Active", &TDataSet::GetActive, &TDataSet::SetActive, false),
        }};
    return info;
}

TPgTable::TPgTable(TComponent* owner) : TDataSet(owner) {
    Rename();
}

TPgTable::~TPgTable() {
    Close();
}

void TPgTable::SetConnectionString(const std::string& conninfo) {
    CheckInactive("ConnectionString");
    connectionString_ = conninfo;
    Rename();
}

void TPgTable::SetTableName(const std::string& name) {
    CheckInactive("TableName");
    tableName_ = name;
    Rename();
}

void TPgTable::SetReadOnly(bool readOnly) {
    CheckInactive("ReadOnly");
    readOnly_ = readOnly;
}

void TPgTable::SetStatementTimeout(int milliseconds) {
    CheckInactive("StatementTimeout");
    statementTimeout_ = std::max(0, milliseconds);
}

bool TPgTable::CanModify() const {
    return Active() && !readOnly_ && updatable_ && !key_.empty();
}

std::string TPgTable::WhyReadOnly() const {
    if (!Active() || readOnly_) {
        return {};
    }
    if (key_.empty()) {
        return "the table has no primary key, so its records cannot be told apart";
    }
    return updatable_ ? "" : "the user may not update it, or the server is read-only";
}

std::string TPgTable::DisplayName() const {
    return displayName_;
}

void TPgTable::Rename() {
    // Built once per change, not per message: every batch of a scan names the table.
    displayName_ = "table '" + tableName_ + "' of " + DescribeConnection(connectionString_);
}

void TPgTable::ResolveTable() {
    const std::string what = "Cannot read " + DisplayName();
    const std::vector<pg::Param> name{{pg::Param::Text, tableName_}};
    // The exact name first (it never fails to parse), then the name as SQL reads it.
    std::string oid;
    for (const char* lookup :
         {"SELECT to_regclass(quote_ident($1))::oid", "SELECT to_regclass($1)::oid"}) {
        try {
            pg::Result r = reader_->Exec(lookup, what, name);
            if (r.Rows() == 1 && !r.IsNull(0, 0)) {
                oid = r.Raw(0, 0);
                break;
            }
        } catch (const EDatabaseError& e) {
            throw EDatabaseError("Table '" + tableName_ + "' not found in " +
                                 DescribeConnection(connectionString_) + " (" + e.what() + ")");
        }
    }
    if (oid.empty()) {
        throw EDatabaseError("Table '" + tableName_ + "' not found in " +
                             DescribeConnection(connectionString_));
    }
    const std::vector<pg::Param> table{{pg::Param::Text, oid}};
    pg::Result info = reader_->Exec(
        "SELECT n.nspname, c.relname, c.relkind, has_table_privilege(c.oid, 'UPDATE') AND NOT "
        "pg_is_in_recovery() FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE c.oid = $1::oid",
        what, table);
    if (info.Rows() != 1 || std::string_view("rpvmf").find(info.Raw(0, 2)) == std::string::npos) {
        throw EDatabaseError("'" + tableName_ + "' in " + DescribeConnection(connectionString_) +
                             " is not a table");
    }
    qualifiedName_ = QuoteIdentifier(info.Name(0, 0)) + "." + QuoteIdentifier(info.Name(0, 1));
    updatable_ = info.Raw(0, 3) == "t";

    pg::Result attributes = reader_->Exec(
        "SELECT a.attname, format_type(a.atttypid, NULL), "
        "COALESCE(NULLIF(t.typbasetype, 0), t.oid)::int8, a.attnum, "
        // Whether '=' compares the type, its own or that of a type it is binary coercible
        // to (varchar has text's).
        "EXISTS (SELECT 1 FROM pg_operator o WHERE o.oprname = '=' AND o.oprright = o.oprleft "
        "AND (o.oprleft = COALESCE(NULLIF(t.typbasetype, 0), t.oid) OR o.oprleft IN (SELECT "
        "k.casttarget FROM pg_cast k WHERE k.castmethod = 'b' AND "
        "k.castsource = COALESCE(NULLIF(t.typbasetype, 0), t.oid)))) "
        "FROM pg_attribute a JOIN pg_type t ON t.oid = a.atttypid "
        "WHERE a.attrelid = $1::oid AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum",
        what, table);
    columns_.clear();
    std::vector<std::string> attnums;
    for (int row = 0; row < attributes.Rows(); ++row) {
        Column c{attributes.Name(row, 0), attributes.Name(row, 1)};
        const long type = std::stol(std::string(attributes.Raw(row, 2)));
        c.comparable = attributes.Raw(row, 4) == "t";
        c.kind = type == kBytea                                                    ? kBytes
                 : type == kInt2 || type == kInt4 || type == kInt8 || type == kOid ? kInteger
                 : type == kFloat4 || type == kFloat8                              ? kFloat
                 : type == kBool                                                   ? kBoolean
                                                                                   : kText;
        columns_.push_back(std::move(c));
        attnums.emplace_back(attributes.Raw(row, 3));
    }
    if (columns_.empty()) {
        throw EDatabaseError("Table '" + tableName_ + "' in " +
                             DescribeConnection(connectionString_) + " has no columns");
    }
    pg::Result key = reader_->Exec(
        "SELECT k.attnum FROM pg_index i, unnest(i.indkey) WITH ORDINALITY AS k(attnum, ord) "
        "WHERE i.indrelid = $1::oid AND i.indisprimary ORDER BY k.ord",
        what, table);
    key_.clear();
    for (int row = 0; row < key.Rows(); ++row) {
        const auto at = std::find(attnums.begin(), attnums.end(), key.Raw(row, 0));
        if (at != attnums.end()) {
            key_.push_back(static_cast<std::size_t>(at - attnums.begin()));
        }
    }
}

std::vector<std::string> TPgTable::InternalOpen() {
    if (tableName_.empty()) {
        throw EDatabaseError("No table name given for the dataset of " +
                             DescribeConnection(connectionString_));
    }
    try {
        reader_ = std::make_unique<pg::Connection>();
        reader_->Open(connectionString_, DisplayName(), statementTimeout_);
        ResolveTable();
        sql_ = std::make_unique<Statements>(qualifiedName_, columns_, key_);
    } catch (...) {
        InternalClose();
        throw;
    }
    std::vector<std::string> names;
    for (const Column& c : columns_) {
        names.push_back(c.name);
    }
    return names;
}

void TPgTable::InternalClose() {
    writer_.reset();
    reader_.reset(); // closing the connection ends its transaction and cursor
    sql_.reset();
    batch_.clear();
    position_ = 0;
    cursorOpen_ = false;
    cursorEnded_ = true;
}

void TPgTable::Revive() {
    if (reader_->Revive()) {
        cursorOpen_ = false;
    }
}

std::vector<TVariant> TPgTable::KeyOf(const std::vector<TVariant>& row) const {
    std::vector<TVariant> key;
    for (std::size_t column : key_) {
        key.push_back(row[column]);
    }
    return key;
}

namespace {
pg::Param ParamFor(ColumnKind kind, const TVariant& value) {
    switch (value.VarType()) {
    case TVariant::Type::Null:
        return {};
    case TVariant::Type::Integer:
    case TVariant::Type::Float:
        return {kind == kBytes ? pg::Param::Binary : pg::Param::Text, NumberText(value)};
    case TVariant::Type::String:
    case TVariant::Type::Blob:
        break;
    }
    if (value.IsForeign()) {
        return {pg::Param::ServerText, value.ForeignBytes()}; // sent back as it came
    }
    return {kind == kBytes ? pg::Param::Binary : pg::Param::Text, value.Bytes()};
}
} // namespace

std::vector<pg::Param> TPgTable::KeyParams(const std::vector<TVariant>& key) const {
    std::vector<pg::Param> params;
    for (std::size_t i = 0; i < key_.size(); ++i) {
        params.push_back(ParamFor(columns_[key_[i]].kind, key[i]));
    }
    return params;
}

bool TPgTable::StartCursor(const std::vector<TVariant>* key, bool inclusive) {
    reader_->EndTransaction();
    cursorOpen_ = false;
    const std::string what = "Cannot read " + DisplayName();
    const std::vector<pg::Param> params =
        key == nullptr ? std::vector<pg::Param>{} : KeyParams(*key);
    const std::string begin = "BEGIN ISOLATION LEVEL READ COMMITTED READ ONLY";
    try {
        reader_->Exec(begin, what);
    } catch (const EDatabaseError&) {
        // Found gone before this read did anything (a server restarted while the table
        // stood idle): connecting again and starting over is safe.
        if (reader_->Usable()) {
            throw;
        }
        reader_->Revive();
        reader_->Exec(begin, what);
    }
    try {
        reader_->Exec(key == nullptr ? sql_->first
                      : inclusive    ? sql_->from
                                     : sql_->after,
                      what, params);
    } catch (...) {
        reader_->EndTransaction();
        throw;
    }
    cursorOpen_ = true;
    cursorEnded_ = false;
    batchRows_ = kFirstBatch;
    return FetchBatch();
}

bool TPgTable::FetchBatch() {
    const std::string what = "Cannot read " + DisplayName();
    std::vector<std::vector<TVariant>> rows;
    try {
        pg::Result r =
            reader_->Exec("FETCH FORWARD " + std::to_string(batchRows_) + " FROM " + kCursor, what);
        rows.reserve(static_cast<std::size_t>(r.Rows()));
        for (int row = 0; row < r.Rows(); ++row) {
            rows.push_back(RowOf(r, row));
        }
        if (r.Rows() < batchRows_) {
            cursorEnded_ = true;
            cursorOpen_ = false;
            reader_->Exec("COMMIT", what); // the cursor is spent: hold nothing open
        }
    } catch (...) {
        cursorOpen_ = false;
        reader_->EndTransaction();
        throw;
    }
    batchRows_ = std::min(batchRows_ * 4, kMaxBatch);
    if (rows.empty()) {
        return false;
    }
    batch_ = std::move(rows);
    position_ = 0;
    return true;
}

void TPgTable::Deliver(std::vector<TVariant>& values) {
    values = batch_[position_]; // the batch keeps its copy, for the key and Post
}

bool TPgTable::InternalFirst(std::vector<TVariant>& values) {
    Revive();
    batch_.clear();
    if (!StartCursor(nullptr, false)) {
        return false;
    }
    Deliver(values);
    return true;
}

bool TPgTable::InternalNext(std::vector<TVariant>& values) {
    if (position_ + 1 < batch_.size()) {
        ++position_;
    } else if (batch_.empty() || cursorEnded_) {
        return false; // the last record stays current
    } else {
        Revive();
        bool more = false;
        if (cursorOpen_) {
            more = FetchBatch();
        } else if (key_.empty()) {
            throw EDatabaseError("Cannot go on reading " + DisplayName() +
                                 ": the connection was lost, and without a primary key the "
                                 "reading cannot resume after the current record");
        } else {
            const std::vector<TVariant> last = KeyOf(batch_.back());
            more = StartCursor(&last, false);
        }
        if (!more) {
            return false;
        }
    }
    Deliver(values);
    return true;
}

bool TPgTable::InternalReread(std::vector<TVariant>& values) {
    if (batch_.empty() || key_.empty()) {
        return false;
    }
    Revive();
    const std::vector<pg::Param> params = KeyParams(KeyOf(batch_[position_]));
    pg::Result r = [&] {
        try {
            return reader_->Exec(sql_->reread, "Cannot read " + DisplayName(), params);
        } catch (...) {
            if (reader_->InTransaction()) {
                cursorOpen_ = false;
                reader_->EndTransaction();
            }
            throw;
        }
    }();
    if (r.Rows() != 1) {
        return false; // gone: stay where we were, the old values untouched
    }
    batch_[position_] = RowOf(r, 0);
    Deliver(values);
    return true;
}

bool TPgTable::InternalRefresh(std::vector<TVariant>& values) {
    Revive();
    if (batch_.empty() || key_.empty()) {
        return InternalFirst(values);
    }
    const std::vector<TVariant> current = KeyOf(batch_[position_]);
    if (!StartCursor(&current, true)) {
        reader_->EndTransaction();
        if (!ReadLastRow()) {
            return false;
        }
    }
    Deliver(values);
    return true;
}

bool TPgTable::ReadLastRow() {
    pg::Result r = reader_->Exec(sql_->last, "Cannot read " + DisplayName());
    batch_.clear();
    cursorEnded_ = true;
    if (r.Rows() == 0) {
        return false;
    }
    batch_.push_back(RowOf(r, 0));
    position_ = 0;
    return true;
}

std::vector<TVariant> TPgTable::RowOf(const pg::Result& r, int row) const {
    std::vector<TVariant> values;
    values.reserve(columns_.size());
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        values.push_back(ReadValue(r, row, static_cast<int>(c), columns_[c].kind));
    }
    return values;
}

namespace {
// Whether `value` reads as `text`, as TField::AsString reads it.
bool ReadsAs(const pg::Result& r, int row, int column, ColumnKind kind, const std::string& text) {
    if (r.IsNull(row, column)) {
        return false;
    }
    if (kind == kText) {
        return r.Text(row, column) == text; // foreign text equals none
    }
    return VarToStr(ReadValue(r, row, column, kind)) == text;
}

// Types whose "=" holds for every two values that read as the same text (not character,
// whose values read with the padding its "=" ignores).
bool EqualityServes(const std::string& type) {
    for (const char* t : {"text", "character varying", "name"}) {
        if (type == t) {
            return true;
        }
    }
    return false;
}
} // namespace

// The first of `r`'s rows, in key order, whose column after the key reads as `text`, as the
// key of that record.
std::optional<std::vector<TVariant>> TPgTable::FirstReadingAs(const pg::Result& r, int kind,
                                                              const std::string& text) const {
    const int at = static_cast<int>(key_.size());
    for (int row = 0; row < r.Rows(); ++row) {
        if (ReadsAs(r, row, at, static_cast<ColumnKind>(kind), text)) {
            std::vector<TVariant> key;
            for (int k = 0; k < at; ++k) {
                key.push_back(
                    ReadValue(r, row, k, columns_[key_[static_cast<std::size_t>(k)]].kind));
            }
            return key;
        }
    }
    return std::nullopt;
}

// The key and one column of every record, in key order: "SELECT k..., c FROM t".
std::string TPgTable::KeyAnd(const Column& c) const {
    std::string sql = "SELECT ";
    for (std::size_t k : key_) {
        sql += QuoteIdentifier(columns_[k].name) + ", ";
    }
    return sql + QuoteIdentifier(c.name) + " FROM " + qualifiedName_;
}

bool TPgTable::LookUp(std::size_t field, const std::string& text,
                      std::optional<std::vector<TVariant>>& key) {
    const Column& c = columns_[field];
    std::int64_t number = 0;
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, number);
    const bool canonical = ec == std::errc{} && p == end && std::to_string(number) == text;
    if ((c.kind == kText && !EqualityServes(c.type)) || (c.kind == kInteger && !canonical) ||
        c.kind == kFloat || c.kind == kBoolean) {
        return false;
    }
    // Every record whose value equals the text by the column's own "=" (a superset of those
    // that read as it, for these types), each then checked by the exact comparison. The
    // server finds them through an index where there is one, else by its own scan, which
    // sends nothing that does not compare equal.
    const std::string sql =
        KeyAnd(c) + " WHERE " + QuoteIdentifier(c.name) + " = $1::" + c.type + sql_->orderBy;
    const pg::Param param{c.kind == kBytes ? pg::Param::Binary : pg::Param::Text, text};
    try {
        key = FirstReadingAs(reader_->Exec(sql, "Cannot read " + DisplayName(), {param}), c.kind,
                             text);
        return true;
    } catch (const EDatabaseLocked&) {
        throw;
    } catch (const EDatabaseError&) {
        // Text the server cannot hold in this column (no encoding for a byte, a number out of
        // the column's range): the scan, which never sends the text, decides.
        if (!reader_->Usable()) {
            throw;
        }
        return false;
    }
}

std::optional<std::vector<TVariant>> TPgTable::FindKey(std::size_t field, const std::string& text) {
    std::optional<std::vector<TVariant>> key;
    if (LookUp(field, text, key)) {
        return key;
    }
    const Column& c = columns_[field];
    const std::string what = "Cannot read " + DisplayName();
    // Only the key and the one column travel while the cursor moves.
    reader_->Exec("BEGIN ISOLATION LEVEL READ COMMITTED READ ONLY", what);
    try {
        reader_->Exec("DECLARE zel_find NO SCROLL CURSOR FOR " + KeyAnd(c) + sql_->orderBy, what);
        for (int rows = kMaxBatch; !key && rows == kMaxBatch;) {
            pg::Result r = reader_->Exec(
                "FETCH FORWARD " + std::to_string(kMaxBatch) + " FROM zel_find", what);
            rows = r.Rows();
            key = FirstReadingAs(r, c.kind, text);
        }
    } catch (...) {
        reader_->EndTransaction();
        throw;
    }
    reader_->EndTransaction();
    return key;
}

std::optional<bool> TPgTable::InternalLocate(int field, const std::string& text,
                                             std::vector<TVariant>& values) {
    if (key_.empty()) {
        return std::nullopt; // without a key, the record found could not be gone back to
    }
    Revive();
    reader_->EndTransaction();
    cursorOpen_ = false;
    const std::optional<std::vector<TVariant>> key = FindKey(static_cast<std::size_t>(field), text);
    batch_.clear();
    if (key) {
        // The record found, alone: reading goes on after it as it would after a scan to it,
        // through a cursor that the first Next opens.
        pg::Result r = reader_->Exec(sql_->reread, "Cannot read " + DisplayName(), KeyParams(*key));
        if (r.Rows() != 1) {
            return std::nullopt; // deleted in between: the slow way decides
        }
        batch_.push_back(RowOf(r, 0));
        position_ = 0;
        cursorEnded_ = false;
        Deliver(values);
        return true;
    }
    if (ReadLastRow()) {
        Deliver(values); // not found: the cursor stands on the last record, as after a scan
    }
    return false;
}

std::size_t TPgTable::ColumnOf(const TField& field) const {
    const auto at = std::find_if(columns_.begin(), columns_.end(),
                                 [&](const Column& c) { return c.name == field.FieldName(); });
    return static_cast<std::size_t>(at - columns_.begin());
}

void TPgTable::InternalPost(const std::vector<const TField*>& changed,
                            const std::vector<const TField*>& read, std::vector<TVariant>& stored) {
    if (!CanModify()) {
        RaiseReadOnly();
    }
    std::vector<std::size_t> targets;
    for (const TField* f : changed) {
        targets.push_back(ColumnOf(*f));
    }
    std::vector<pg::Param> params = KeyParams(KeyOf(batch_[position_]));
    std::string set, where = sql_->byKey, returning;
    for (std::size_t i = 0; i < changed.size(); ++i) {
        const Column& c = columns_[targets[i]];
        const std::string name = QuoteIdentifier(c.name);
        params.push_back(ParamFor(c.kind, changed[i]->AsVariant()));
        set += (i > 0 ? ", " : "") + name + " = $" + std::to_string(params.size()) + "::" + c.type;
        returning += (i > 0 ? ", " : "") + name;
    }
    where += StillAsRead(read, params);
    // One statement is one short transaction of its own: nothing waits on the cursor.
    pg::Result r = Writer().Exec("UPDATE " + qualifiedName_ + " SET " + set + where +
                                     " RETURNING " + returning,
                                 "Cannot save the record of " + DisplayName(), params);
    if (r.Rows() == 0) {
        throw ERecordChanged();
    }
    stored.clear();
    for (std::size_t i = 0; i < changed.size(); ++i) {
        TVariant value = ReadValue(r, 0, static_cast<int>(i), columns_[targets[i]].kind);
        batch_[position_][targets[i]] = value;
        stored.push_back(std::move(value));
    }
}

// The record must still be the one read, every field of it, not only the key: another
// record may have taken a deleted one's key. A column whose type has no equality (json,
// point, ...) cannot be compared and is left out.
std::string TPgTable::StillAsRead(const std::vector<const TField*>& read,
                                  std::vector<pg::Param>& params) const {
    std::string where;
    for (const TField* f : read) {
        const std::size_t at = ColumnOf(*f);
        if (at == columns_.size() || !columns_[at].comparable) {
            continue;
        }
        const Column& c = columns_[at];
        params.push_back(ParamFor(c.kind, f->OldValue()));
        where += " AND " + QuoteIdentifier(c.name) + " IS NOT DISTINCT FROM $" +
                 std::to_string(params.size()) + "::" + c.type;
    }
    return where;
}

pg::Connection& TPgTable::Writer() {
    if (!writer_) {
        writer_ = std::make_unique<pg::Connection>();
        writer_->Open(connectionString_, DisplayName(), statementTimeout_);
    } else {
        writer_->Revive();
    }
    return *writer_;
}

bool TPgTable::InternalAppendUnique(const std::vector<TFieldValue>& values, std::size_t unique) {
    const std::string what = "Cannot add a record to " + DisplayName();
    std::string names, marks;
    std::vector<pg::Param> params;
    for (const TFieldValue& v : values) {
        const Column& c = columns_[ColumnOf(FieldByName(v.field))];
        params.push_back(ParamFor(c.kind, v.value));
        names += (names.empty() ? "" : ", ") + QuoteIdentifier(c.name);
        marks += (marks.empty() ? "$" : ", $") + std::to_string(params.size()) + "::" + c.type;
    }
    pg::Connection& writer = Writer();
    // The table locked against every other writer first, so the search below sees every
    // record that can exist when the new one is added; readers go on meanwhile.
    writer.Exec("BEGIN", what);
    try {
        writer.Exec("LOCK TABLE " + qualifiedName_ + " IN SHARE ROW EXCLUSIVE MODE", what);
        Revive();
        reader_->EndTransaction();
        cursorOpen_ = false;
        const std::size_t column = ColumnOf(FieldByName(values[unique].field));
        if (FindKey(column, VarToStr(values[unique].value))) {
            writer.EndTransaction();
            return false;
        }
        writer.Exec("INSERT INTO " + qualifiedName_ + " (" + names + ") VALUES (" + marks + ")",
                    what, params);
        writer.Exec("COMMIT", what);
    } catch (...) {
        writer.EndTransaction();
        throw;
    }
    return true;
}

void TPgTable::InternalDelete(const std::vector<const TField*>& read) {
    if (!CanModify()) {
        RaiseReadOnly();
    }
    std::vector<pg::Param> params = KeyParams(KeyOf(batch_[position_]));
    const pg::Result r =
        Writer().Exec("DELETE FROM " + qualifiedName_ + sql_->byKey + StillAsRead(read, params),
                      "Cannot delete the record of " + DisplayName(), params);
    if (r.Affected() == 0) {
        throw ERecordChanged();
    }
}

void RegisterPostgresClasses() {
    RegisterClass(TPgTable::StaticClass());
}

namespace {
// Loading the library makes its classes known, as a unit's initialization does.
[[maybe_unused]] const bool kRegistered = (RegisterPostgresClasses(), true);
} // namespace

} // namespace zel::host
