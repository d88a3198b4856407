#include "zel/host/postgres/detail/PgConnection.h"

#include "zel/host/core/Errors.h"
#include "zel/host/postgres/PgConnectionString.h"
#include "zel/host/postgres/detail/PgText.h"

#include <libpq-fe.h>

namespace zel::host::pg {

namespace {
// libpq's messages end in a newline and continue on tab-indented lines; one line reads
// better in a message box and a terminal.
std::string OneLine(const char* text) {
    std::string line;
    for (const char* p = text != nullptr ? text : ""; *p != '\0'; ++p) {
        if (*p == '\n' || *p == '\t') {
            if (!line.empty() && line.back() != ' ') {
                line += ' ';
            }
        } else {
            line += *p;
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line.empty() ? "no reason given" : line;
}

void Quiet(void*, const char*) {} // the server's notices are not errors; stderr is not ours
} // namespace

Result::~Result() {
    PQclear(result_);
}

int Result::Rows() const {
    return PQntuples(result_);
}

bool Result::IsNull(int row, int column) const {
    return PQgetisnull(result_, row, column) != 0;
}

std::string_view Result::Raw(int row, int column) const {
    return {PQgetvalue(result_, row, column),
            static_cast<std::size_t>(PQgetlength(result_, row, column))};
}

std::optional<std::string> Result::Text(int row, int column) const {
    return FromServer(Raw(row, column));
}

std::string Result::Name(int row, int column) const {
    if (std::optional<std::string> name = Text(row, column)) {
        return *name;
    }
    throw EDatabaseError("The database name " + Escaped(Raw(row, column)) +
                         " holds characters that the text setting has not");
}

long Result::Affected() const {
    const char* count = PQcmdTuples(result_);
    return count != nullptr && *count != '\0' ? std::stol(count) : 0;
}

Connection::~Connection() {
    Close();
}

void Connection::Open(const std::string& conninfo, const std::string& where,
                      int statementTimeoutMs) {
    Close();
    conninfo_ = conninfo;
    where_ = where;
    statementTimeoutMs_ = statementTimeoutMs;
    // The string may set its own timeout and name. UTF8 whatever the host's text: each value
    // is converted on its own (PgText.h), so one that cannot be fails nothing else.
    const char* keys[] = {"connect_timeout", "fallback_application_name", "dbname",
                          "client_encoding", nullptr};
    const char* values[] = {"10", "zel", conninfo.c_str(), "UTF8", nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (conn_ == nullptr || PQstatus(conn_) != CONNECTION_OK) {
        const std::string reason = OneLine(conn_ != nullptr ? PQerrorMessage(conn_) : nullptr);
        Close();
        throw EDatabaseError("Cannot connect to " + DescribeConnection(conninfo) + " for " + where +
                             ": " + MaskPassword(reason, conninfo));
    }
    PQsetNoticeProcessor(conn_, Quiet, nullptr);
    Configure();
}

void Connection::Configure() {
    Exec("SET statement_timeout = " + std::to_string(statementTimeoutMs_),
         "Cannot set the statement timeout for " + where_);
}

void Connection::Close() {
    PQfinish(conn_);
    conn_ = nullptr;
}

bool Connection::Usable() const {
    return conn_ != nullptr && PQstatus(conn_) == CONNECTION_OK;
}

bool Connection::Revive() {
    if (conn_ == nullptr || Usable()) {
        return false;
    }
    PQreset(conn_);
    if (PQstatus(conn_) != CONNECTION_OK) {
        throw EDatabaseError("Cannot connect to " + DescribeConnection(conninfo_) + " for " +
                             where_ + ": " +
                             MaskPassword(OneLine(PQerrorMessage(conn_)), conninfo_));
    }
    Configure();
    return true;
}

bool Connection::InTransaction() const {
    if (conn_ == nullptr) {
        return false;
    }
    const PGTransactionStatusType status = PQtransactionStatus(conn_);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

void Connection::EndTransaction() {
    if (InTransaction() && Usable()) {
        PQclear(PQexec(conn_, "ROLLBACK"));
    }
}

Result Connection::Exec(const std::string& sql, const std::string& what,
                        const std::vector<Param>& params) {
    if (conn_ == nullptr) {
        throw EDatabaseError(what + ": not connected");
    }
    std::vector<std::string> texts; // the host's text as the server's; reserved, so the
                                    // pointers taken below stay valid
    texts.reserve(params.size());
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    for (const Param& p : params) {
        const std::string& bytes =
            p.kind == Param::Text ? texts.emplace_back(ToServer(p.bytes, what)) : p.bytes;
        values.push_back(p.kind == Param::Null ? nullptr : bytes.data());
        lengths.push_back(static_cast<int>(bytes.size()));
        formats.push_back(p.kind == Param::Binary ? 1 : 0);
    }
    const std::string statement = ToServer(sql, what);
    Result result(PQexecParams(conn_, statement.c_str(), static_cast<int>(params.size()), nullptr,
                               values.data(), lengths.data(), formats.data(), 0));
    PGresult* raw = result.result_;
    const ExecStatusType status = raw != nullptr ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        Fail(what, raw);
    }
    return result;
}

void Connection::Fail(const std::string& what, const pg_result* result) {
    std::string reason;
    const char* state = nullptr;
    if (result != nullptr) {
        const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
        const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL);
        state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        if (primary != nullptr) {
            reason = OneLine(primary);
            if (detail != nullptr) {
                reason += " (" + OneLine(detail) + ")";
            }
        }
    }
    if (reason.empty()) {
        reason = OneLine(PQerrorMessage(conn_));
    }
    reason = MaskPassword(Escaped(reason), conninfo_);
    const std::string code = state != nullptr ? state : "";
    // Waiting for another session's lock, or chosen as a deadlock's or serialisation's victim.
    if (code == "55P03" || code == "40P01" || code == "40001") {
        throw EDatabaseLocked(what + ": " + reason);
    }
    throw EDatabaseError(what + ": " + reason);
}

} // namespace zel::host::pg
