#include "zel/host/sqlite/detail/SQLiteFinder.h"

#include "zel/host/core/TextEncoding.h"
#include "zel/host/text/Variant.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <sqlite3.h>

namespace zel::host {

namespace {
// SQLite's rules for a column's affinity, from its declared type.
bool ConvertsBoundValues(std::string type) {
    for (char& c : type) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const auto has = [&](const char* part) { return type.find(part) != std::string::npos; };
    if (has("INT")) {
        return true;
    }
    if (has("CHAR") || has("CLOB") || has("TEXT") || has("BLOB") || type.empty()) {
        return false; // TEXT affinity turns only numbers into text; none converts nothing
    }
    return true; // REAL or NUMERIC
}

// Whether the current row's `column` reads as `text`, as TField::AsString reads it.
bool Matches(sqlite3_stmt* statement, int column, const std::string& text) {
    const void* bytes = nullptr;
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return false;
    case SQLITE_TEXT:
        bytes = sqlite3_column_text(statement, column);
        break;
    case SQLITE_BLOB:
        bytes = sqlite3_column_blob(statement, column);
        break;
    case SQLITE_INTEGER:
        return VarToStr(TVariant(
                   static_cast<std::int64_t>(sqlite3_column_int64(statement, column)))) == text;
    default:
        return VarToStr(TVariant(sqlite3_column_double(statement, column))) == text;
    }
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
    return size == text.size() && (size == 0 || std::memcmp(bytes, text.data(), size) == 0);
}

// Whether `plan` (EXPLAIN QUERY PLAN of a statement) searches through an index.
bool SearchesAnIndex(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* plan = nullptr;
    if (sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &plan, nullptr) !=
        SQLITE_OK) {
        return false;
    }
    bool index = false;
    while (sqlite3_step(plan) == SQLITE_ROW) {
        const auto* detail = reinterpret_cast<const char*>(sqlite3_column_text(plan, 3));
        index = index || (detail != nullptr && std::strstr(detail, "USING") != nullptr &&
                          std::strstr(detail, "INDEX") != nullptr);
    }
    sqlite3_finalize(plan);
    return index;
}
} // namespace

SQLiteFinder::SQLiteFinder(sqlite3* db, const std::string& table, const std::string& rowid,
                           const std::string& column, const std::string& declaredType)
    : db_(db) {
    const std::string select = "SELECT " + rowid + ", " + column + " FROM " + table;
    const std::string order = " ORDER BY " + rowid;
    // SQLite compares while it moves, and only candidates come back: those holding the
    // text's bytes (a text, a BLOB, or an integer, which reads as SQLite writes it) and,
    // for a text that may be a number, every real. The binary collation overrides the
    // column's, which might be unknown here. Should the statements not prepare after all,
    // every row is stepped through.
    const std::string bytes = "CAST(" + column + " AS BLOB) COLLATE BINARY = ?1";
    sqlite3_prepare_v2(db_, (select + " WHERE " + bytes + order).c_str(), -1, &scan_, nullptr);
    sqlite3_prepare_v2(
        db_, (select + " WHERE " + bytes + " OR typeof(" + column + ") = 'real'" + order).c_str(),
        -1, &scanNumber_, nullptr);
    if (scan_ == nullptr || scanNumber_ == nullptr) {
        sqlite3_finalize(scan_);
        sqlite3_finalize(scanNumber_);
        scanNumber_ = nullptr;
        sqlite3_prepare_v2(db_, (select + order).c_str(), -1, &scan_, nullptr);
    }
    // Every form in which a stored value could read as the text: never converted, so the
    // index finds exactly the rows whose stored value equals one of them.
    const std::string lookup = select + " WHERE " + column + " IN (?1, ?2, ?3, ?4)";
    if (!ConvertsBoundValues(declaredType) && SearchesAnIndex(db_, lookup)) {
        sqlite3_prepare_v2(db_, lookup.c_str(), -1, &lookup_, nullptr);
    }
}

SQLiteFinder::~SQLiteFinder() {
    sqlite3_finalize(scan_);
    sqlite3_finalize(scanNumber_);
    sqlite3_finalize(lookup_);
}

SQLiteFinder::Result SQLiteFinder::Find(const std::string& text) {
    return lookup_ != nullptr ? Lookup(text) : Scan(text);
}

SQLiteFinder::Result SQLiteFinder::Scan(const std::string& text) {
    Result r;
    if (scan_ == nullptr) {
        r.failed = true;
        return r;
    }
    sqlite3_stmt* scan = scan_;
    if (scanNumber_ != nullptr) {
        // A real reads as the text only if the text reads back as a number (VarToStr writes
        // the shortest form that does).
        double real = 0;
        const char* end = text.data() + text.size();
        const auto [p, ec] = std::from_chars(text.data(), end, real);
        scan = ec == std::errc{} && p == end ? scanNumber_ : scan_;
        sqlite3_bind_blob(scan, 1, text.empty() ? "" : text.data(), static_cast<int>(text.size()),
                          SQLITE_STATIC);
    }
    std::optional<std::int64_t> after;
    int rc;
    while ((rc = sqlite3_step(scan)) == SQLITE_ROW) {
        const std::int64_t rowid = sqlite3_column_int64(scan, 0);
        if (after && rowid <= *after) {
            r.rowid = rowid; // a damaged b-tree: stop, never go round in circles
            r.before = after;
            break;
        }
        after = rowid;
        if (Matches(scan, 1, text)) {
            r.rowid = rowid;
            break;
        }
    }
    r.failed = rc != SQLITE_ROW && rc != SQLITE_DONE;
    sqlite3_reset(scan);
    sqlite3_clear_bindings(scan); // the text bound goes with this call
    return r;
}

SQLiteFinder::Result SQLiteFinder::Lookup(const std::string& text) {
    sqlite3_reset(lookup_);
    sqlite3_clear_bindings(lookup_);
    const int size = static_cast<int>(text.size());
    if (IsValidUtf8(text)) {
        sqlite3_bind_text(lookup_, 1, text.data(), size, SQLITE_STATIC);
    }
    sqlite3_bind_blob(lookup_, 2, text.empty() ? "" : text.data(), size, SQLITE_STATIC);
    // A number reads as the text only when the text is how VarToStr writes it.
    std::int64_t integer = 0;
    const char* end = text.data() + text.size();
    if (auto [p, ec] = std::from_chars(text.data(), end, integer); ec == std::errc{} && p == end) {
        sqlite3_bind_int64(lookup_, 3, integer);
    }
    double real = 0;
    if (auto [p, ec] = std::from_chars(text.data(), end, real); ec == std::errc{} && p == end) {
        sqlite3_bind_double(lookup_, 4, real);
    }
    Result r;
    int rc;
    while ((rc = sqlite3_step(lookup_)) == SQLITE_ROW) {
        const std::int64_t rowid = sqlite3_column_int64(lookup_, 0);
        if ((!r.rowid || rowid < *r.rowid) && Matches(lookup_, 1, text)) {
            r.rowid = rowid;
        }
    }
    r.failed = rc != SQLITE_DONE;
    sqlite3_reset(lookup_);
    sqlite3_clear_bindings(lookup_);
    return r;
}

} // namespace zel::host
