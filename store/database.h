#pragma once
// A thin hold on one SQLite connection: open, run SQL, prepared statements
// with UTF-8 text, and short write transactions. No call throws; a failure
// shows in the result and in the connection's last error, so a spoilt or
// locked file costs the program what it would have kept, never its work.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tessivar::store {

// SQLite's result codes that the program tells apart (the primary codes).
enum class Result { Ok, Busy, Locked, ReadOnly, CannotOpen, Full, Corrupt, NotADatabase, InputOutput, Other };

struct Connection;

// One prepared statement: bind, then step through its rows. Columns and
// bound parameters count as SQLite counts them (columns from 0, parameters
// from 1).
class Statement {
public:
    Statement() = default;
    Statement(Statement&& other) noexcept
        : connection_(other.connection_), statement_(std::exchange(other.statement_, nullptr)),
          failed_(other.failed_) {}
    Statement& operator=(Statement&& other) noexcept;
    ~Statement();

    // False where the SQL did not compile.
    explicit operator bool() const { return statement_ != nullptr; }

    Statement& bind(int parameter, std::string_view text);
    Statement& bind(int parameter, std::int64_t number);
    Statement& bind_blob(int parameter, std::span<const std::byte> bytes);

    // The next row: true while there is one. An error ends the rows and
    // counts as failed.
    bool step();
    // Steps to the end: whether every step went well.
    [[nodiscard]] bool run();
    // For the statement's next use: the rows and the bindings cleared.
    void reset();
    bool failed() const { return failed_ || !statement_; }

    // The current row's values. A column of another type reads as SQLite
    // converts it; check `is_text` where a value must be text.
    std::string text(int column) const;
    std::int64_t integer(int column) const;
    std::vector<std::byte> blob(int column) const;
    bool is_text(int column) const;
    bool is_integer(int column) const;

private:
    friend class Database;
    Statement(Connection* connection, sqlite3_stmt* statement) : connection_(connection), statement_(statement) {}
    // `code` noted on the connection; a failure fails the statement.
    Statement& noted(int code);

    Connection* connection_{};
    sqlite3_stmt* statement_{};
    bool failed_{};
};

class Database {
public:
    // ReadWrite makes the file where there is none. Immutable reads a file
    // that nothing can change (a write-protected medium) with no locks and
    // no -shm beside it, which such a medium cannot take.
    enum class Mode { ReadWrite, ReadOnly, Immutable };

    // How long a statement waits on another connection's lock before it
    // gives up: the user interface never waits longer than a moment.
    static constexpr std::chrono::milliseconds kBusyTimeout{250};

    // A connection to the file at `utf8_path`. Check it with `operator bool`;
    // a failed one says why in `last_result` and `last_message`. Opening reads
    // nothing from the file: a spoilt file shows at the first statement.
    // `vfs` names a registered SQLite VFS (the tests' fault-injecting one);
    // empty, the system's own.
    static Database open(const std::string& utf8_path, Mode mode, const std::string& vfs = {});
    // The URI SQLite is given for `utf8_path` in `mode`: every byte that a
    // URI reads otherwise is escaped, so a path is only ever a path.
    static std::string uri(const std::string& utf8_path, Mode mode);

    Database();
    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;
    ~Database();

    explicit operator bool() const;
    // Opened for reading only, or a file SQLite could open only so; false
    // for a connection that failed to open (its `last_result` says why).
    bool read_only() const;

    // Statements without parameters or rows, separated by semicolons.
    [[nodiscard]] bool exec(std::string_view sql);
    // Compiled once per call; keep the statement for repeated use.
    Statement prepare(std::string_view sql);

    // `body` in one write transaction, taken at its start (BEGIN IMMEDIATE),
    // so two running copies never deadlock. Committed when `body` returns
    // true, rolled back otherwise or where the commit fails. False on a
    // read-only connection.
    template <class Body>
    [[nodiscard]] bool transaction(Body&& body) {
        if (read_only() || !exec("BEGIN IMMEDIATE")) return false;
        if (body() && exec("COMMIT")) return true;
        roll_back();
        return false;
    }

    // Closing leaves the write-ahead log as it is, unwritten into the file.
    void leave_log_on_close();

    // PRAGMA user_version; -1 where the file cannot be read.
    int user_version();

    // The rowid the connection's last insert made.
    std::int64_t last_row_id() const;

    // The last failure on this connection (Ok while there was none), kept
    // past the rollback that follows it.
    Result last_result() const;
    const std::string& last_message() const;
    // Before a new unit of work: no failure kept.
    void clear_failure();

private:
    // Where SQLite has not rolled back already (it does on a full disk), the
    // failure that led here kept.
    void roll_back();

    std::unique_ptr<Connection> connection_;
};

}  // namespace tessivar::store
