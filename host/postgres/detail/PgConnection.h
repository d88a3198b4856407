#pragma once
// One libpq connection of a PostgreSQL dataset: connecting in UTF8 and converting the text
// of statements, parameters, results and messages by the host's text setting (PgText.h),
// running statements with their values as parameters, and turning every failure into an
// EDatabaseError that tells what failed and the server's reason, never the password. A
// connection that was lost is made again by the next statement.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace zel::host::pg {

/// One statement parameter: NULL, the host's text, text the server gave (foreign text sent
/// back as it came), or bytes sent as they are.
struct Param {
    enum Kind { Null, Text, ServerText, Binary } kind = Null;
    std::string bytes;
};

/// The rows a statement returned; owns its libpq result.
class Result {
public:
    explicit Result(pg_result* result) : result_(result) {}
    ~Result();
    Result(Result&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
    Result& operator=(Result&&) = delete;
    Result(const Result&) = delete;

    int Rows() const;
    bool IsNull(int row, int column) const;
    /// The server's own text: for numbers, flags and escaped bytes.
    std::string_view Raw(int row, int column) const;
    /// The host's text, or nullopt when it holds a character the host cannot.
    std::optional<std::string> Text(int row, int column) const;
    /// A name from the catalog as the host's text; raises EDatabaseError, naming it escaped,
    /// when the host cannot hold it.
    std::string Name(int row, int column) const;
    /// How many rows an UPDATE changed.
    long Affected() const;

private:
    friend class Connection;
    pg_result* result_;
};

class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Connects (or reconnects) with `conninfo`; `where` names the dataset in messages.
    void Open(const std::string& conninfo, const std::string& where, int statementTimeoutMs);
    void Close();
    /// Whether a connection stands that has not been found lost.
    bool Usable() const;
    /// Reconnects when the connection was lost; true when it had to (its transaction and
    /// cursors are then gone).
    bool Revive();
    bool InTransaction() const;

    /// Runs one statement; raises EDatabaseError ("<what>: <server's reason>") on failure.
    Result Exec(const std::string& sql, const std::string& what,
                const std::vector<Param>& params = {});
    /// Ends a transaction left open, ignoring a connection already gone.
    void EndTransaction();

private:
    [[noreturn]] void Fail(const std::string& what, const pg_result* result);
    void Configure();

    pg_conn* conn_ = nullptr;
    std::string conninfo_;
    std::string where_;
    int statementTimeoutMs_ = 0;
};

} // namespace zel::host::pg
