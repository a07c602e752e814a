#include "store/database.h"

#include <sqlite3.h>

#include <climits>

namespace tessivar::store {

struct Connection {
    sqlite3* handle{};
    bool read_only{};
    Result failure{Result::Ok};
    std::string message;

    ~Connection() { sqlite3_close_v2(handle); }

    // Whether `code` went well; a failure is kept until the next one.
    bool note(int code) {
        if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) return true;
        failure = result_of(code);
        message = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(code);
        return false;
    }

    static Result result_of(int code) {
        switch (code & 0xff) {
            case SQLITE_BUSY: return Result::Busy;
            case SQLITE_LOCKED: return Result::Locked;
            case SQLITE_READONLY: return Result::ReadOnly;
            case SQLITE_CANTOPEN: return Result::CannotOpen;
            case SQLITE_FULL: return Result::Full;
            case SQLITE_CORRUPT: return Result::Corrupt;
            case SQLITE_NOTADB: return Result::NotADatabase;
            case SQLITE_IOERR: return Result::InputOutput;
            default: return Result::Other;
        }
    }
};

namespace {

// SQLite counts text and blob lengths in int.
int length_of(std::size_t size) { return size > INT_MAX ? -1 : static_cast<int>(size); }

// Pages kept in memory between reads, up to 8 MiB: the journal's search
// texts of 10,000 entries (some 1.6 MB) stay read, where SQLite's 2 MiB
// would read them from the file again at each search.
constexpr char kCacheSize[] = "PRAGMA cache_size = -8192";

bool is_ascii_letter(unsigned char byte) { return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z'); }

bool unescaped_in_uri(unsigned char byte) {
    return is_ascii_letter(byte) || (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
           byte == '~' || byte == '/' || byte == ':';
}

bool starts_with_drive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && is_ascii_letter(static_cast<unsigned char>(path[0]));
}

}  // namespace

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        connection_ = other.connection_;
        statement_ = std::exchange(other.statement_, nullptr);
        failed_ = other.failed_;
    }
    return *this;
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement& Statement::noted(int code) {
    if (!connection_->note(code)) failed_ = true;
    return *this;
}

// A text longer than SQLite takes fails the statement rather than being cut.
Statement& Statement::bind(int parameter, std::string_view text) {
    if (!statement_) return *this;
    const char* data = text.empty() ? "" : text.data();
    return noted(sqlite3_bind_text(statement_, parameter, data, length_of(text.size()), SQLITE_TRANSIENT));
}

Statement& Statement::bind(int parameter, std::int64_t number) {
    return statement_ ? noted(sqlite3_bind_int64(statement_, parameter, number)) : *this;
}

Statement& Statement::bind_blob(int parameter, std::span<const std::byte> bytes) {
    if (!statement_) return *this;
    const void* data = bytes.empty() ? static_cast<const void*>("") : bytes.data();
    return noted(sqlite3_bind_blob(statement_, parameter, data, length_of(bytes.size()), SQLITE_TRANSIENT));
}

bool Statement::step() {
    if (failed()) return false;
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) return true;
    noted(code);
    return false;
}

bool Statement::run() {
    while (step()) {
    }
    return !failed();
}

void Statement::reset() {
    if (!statement_) return;
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    failed_ = false;
}

std::string Statement::text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                 : std::string();
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(statement_, column); }

std::vector<std::byte> Statement::blob(int column) const {
    const auto* bytes = static_cast<const std::byte*>(sqlite3_column_blob(statement_, column));
    return bytes ? std::vector<std::byte>(bytes, bytes + sqlite3_column_bytes(statement_, column))
                 : std::vector<std::byte>();
}

bool Statement::is_text(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_TEXT; }

bool Statement::is_integer(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_INTEGER; }

Database::Database() = default;
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

// An absolute path (file:///C:%5C..., file:///home/...) names an empty
// authority; backslashes are escaped, and SQLite hands them on as they
// were, so a Windows path reaches the system as it is written.
std::string Database::uri(const std::string& utf8_path, Mode mode) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string path;
    for (char c : utf8_path) {
        const auto byte = static_cast<unsigned char>(c);
        if (unescaped_in_uri(byte)) {
            path += static_cast<char>(byte);
        } else {
            path += '%';
            path += kHex[byte >> 4];
            path += kHex[byte & 0xF];
        }
    }
    const char* authority = path.starts_with('/') ? "//" : starts_with_drive(path) ? "///" : "";
    const char* parameters = mode == Mode::ReadOnly    ? "?mode=ro"
                             : mode == Mode::Immutable ? "?mode=ro&immutable=1"
                                                       : "";
    return "file:" + std::string(authority) + path + parameters;
}

// Extended result codes tell a read-only file from a read-only folder;
// extensions stay off.
Database Database::open(const std::string& utf8_path, Mode mode, const std::string& vfs) {
    Database database;
    database.connection_ = std::make_unique<Connection>();
    Connection& connection = *database.connection_;
    connection.read_only = mode != Mode::ReadWrite;
    const int flags = (connection.read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                      SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_URI;
    if (!connection.note(sqlite3_initialize()) ||
        !connection.note(sqlite3_open_v2(uri(utf8_path, mode).c_str(), &connection.handle, flags,
                                         vfs.empty() ? nullptr : vfs.c_str())) ||
        !connection.note(sqlite3_busy_timeout(connection.handle, static_cast<int>(kBusyTimeout.count()))) ||
        !connection.note(sqlite3_exec(connection.handle, kCacheSize, nullptr, nullptr, nullptr))) {
        sqlite3_close_v2(std::exchange(connection.handle, nullptr));
    }
    return database;
}

Database::operator bool() const { return connection_ && connection_->handle; }

// SQLite opens a file it may not write read-only, whatever was asked.
bool Database::read_only() const {
    return *this && (connection_->read_only || sqlite3_db_readonly(connection_->handle, "main") == 1);
}

bool Database::exec(std::string_view sql) {
    if (!*this) return false;
    const std::string statements(sql);
    return connection_->note(sqlite3_exec(connection_->handle, statements.c_str(), nullptr, nullptr, nullptr));
}

Statement Database::prepare(std::string_view sql) {
    if (!*this) return {};
    sqlite3_stmt* statement = nullptr;
    if (!connection_->note(
            sqlite3_prepare_v2(connection_->handle, sql.data(), length_of(sql.size()), &statement, nullptr))) {
        sqlite3_finalize(statement);
        return {};
    }
    return Statement(connection_.get(), statement);
}

void Database::roll_back() {
    if (*this && !sqlite3_get_autocommit(connection_->handle)) {
        sqlite3_exec(connection_->handle, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Database::leave_log_on_close() {
    if (*this) sqlite3_db_config(connection_->handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

int Database::user_version() {
    Statement version = prepare("PRAGMA user_version");
    return version.step() ? static_cast<int>(version.integer(0)) : -1;
}

std::int64_t Database::last_row_id() const {
    return connection_ ? sqlite3_last_insert_rowid(connection_->handle) : 0;
}

Result Database::last_result() const { return connection_ ? connection_->failure : Result::CannotOpen; }

void Database::clear_failure() {
    if (!connection_) return;
    connection_->failure = Result::Ok;
    connection_->message.clear();
}

const std::string& Database::last_message() const {
    static const std::string none = "no connection";
    return connection_ ? connection_->message : none;
}

}  // namespace tessivar::store
