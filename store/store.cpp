#include "store/store.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "store/files.h"

namespace tessivar::store {
namespace {

bool spoilt(Result result) { return result == Result::Corrupt || result == Result::NotADatabase; }

// The file and its journals moved together, or none of them: a new file
// must never take the old one's log for its own.
bool move_with_companions(const std::string& from, const std::string& to) {
    constexpr const char* kCompanions[] = {"", "-journal", "-wal", "-shm"};
    for (std::size_t moved = 0; moved < std::size(kCompanions); ++moved) {
        const std::string companion = kCompanions[moved];
        const bool absent = files::entry_at(from + companion) == files::Entry::None;
        if (absent || files::rename(from + companion, to + companion)) continue;
        while (moved-- > 0) static_cast<void>(files::rename(to + kCompanions[moved], from + kCompanions[moved]));
        return false;
    }
    return true;
}

// Another connection's lock. A file that is there but cannot be opened at
// all is most often lent to another program for a moment, too.
bool passing(Result result) { return result == Result::Busy || result == Result::Locked; }

// What a failure that lasts the run tells about it: a file that cannot be
// made lies in a folder we may not write.
Fault fault_of(Result result) {
    switch (result) {
        case Result::ReadOnly:
        case Result::CannotOpen: return Fault::ReadOnly;
        case Result::Full: return Fault::Full;
        default: return Fault::Unreadable;
    }
}

// A failure that lasts the run; a passing lock or a mistake in one
// statement only costs that write.
bool lasting(Result result) {
    return result == Result::ReadOnly || result == Result::Full || result == Result::InputOutput;
}

}  // namespace

std::string fault_text(Fault fault, const std::string& aside) {
    const std::string nothing = ": в этот раз ничего не сохраняется.";
    switch (fault) {
        case Fault::None: return {};
        case Fault::PutAside: return "Файл базы данных испорчен и отложен как " + aside + "; начат новый.";
        case Fault::Newer: return "Файл базы данных от более новой версии программы" + nothing;
        case Fault::Locked: return "Файл базы данных занят другой программой: сохранение ждёт.";
        case Fault::ReadOnly: return "Файл базы данных или его папка только для чтения" + nothing;
        case Fault::Full: return "На диске нет места для файла базы данных" + nothing;
        case Fault::Directory: return "На месте файла базы данных лежит папка" + nothing;
        case Fault::Unreadable: return "Файл базы данных не открывается" + nothing;
        case Fault::CaughtUp: return "Файл базы данных освободился: сохранение продолжается.";
    }
    return {};
}

std::string aside_name(const std::string& path, long long seconds) {
    using namespace std::chrono;
    const sys_seconds at{std::chrono::seconds{seconds}};
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss time{at - day};
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, ".bad-%04d%02u%02u-%02d%02d%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return path + stamp;
}

void Store::open_existing() { open(false); }

void Store::make() { open(true); }

void Store::open(bool make) {
    settle_behind();
    if (state_ != State::Closed) return;
    if (path_.empty()) return fail(Fault::Unreadable);  // nowhere to keep it: no %APPDATA%
    if (backing_off()) return;
    const files::Entry entry = files::entry_at(path_);
    if (entry == files::Entry::Folder) return fail(Fault::Directory);
    const bool existed = entry == files::Entry::File;
    if (!existed && !make) return;
    if (!existed) files::make_parent_folders(path_);  // a failure shows at the opening
    database_ = Database::open(path_, Database::Mode::ReadWrite, options_.vfs);
    settle(database_ ? migrate(database_) : Migration::Failed, existed);
}

// A file that is there and cannot be written is read: a read-only file, a
// read-only folder or medium (where SQLite cannot make the -shm), a file
// from a later version. A spoilt one is put aside only where it may be.
void Store::settle(Migration migration, bool existed) {
    const Result result = database_.last_result();
    if (migration == Migration::Current && !database_.read_only()) return take_for_writing();
    if (migration == Migration::Newer) return hold_read_only(Fault::Newer);
    if (spoilt(result) && !database_.read_only()) return put_aside_and_start_again();
    if (passing(result)) {
        database_ = {};
        return wait();
    }
    if (existed && (database_.read_only() || result == Result::ReadOnly || result == Result::CannotOpen)) {
        return hold_read_only(Fault::ReadOnly);
    }
    database_ = {};
    fail(fault_of(result));
}

// Write-ahead logging: a commit appends to Tessivar.db-wal without waiting
// for the disk (28 ms a small write under Wine with a rollback journal,
// 1 ms so), survives the process being killed, and lets another copy read
// meanwhile; a power cut may take the commits since the last checkpoint,
// never the file (docs in the README). Where the mode cannot be set for a
// lock, the rollback journal serves; where no log can be made beside the
// file, the folder is read-only.
void Store::take_for_writing(const std::string& salvage_from) {
    if (!database_.exec("PRAGMA journal_mode = WAL") &&
        (database_.last_result() == Result::CannotOpen || database_.last_result() == Result::ReadOnly)) {
        return hold_read_only(Fault::ReadOnly);
    }
    if (options_.flush_each_commit && !database_.exec("PRAGMA synchronous = FULL")) {
        return fail(Fault::Unreadable);  // a file on a stick is not kept without its flushes
    }
    state_ = State::Open;
    writable_ = true;
    database_.clear_failure();
    if (!salvage_from.empty()) salvage(salvage_from);
    if (opened_) opened_(database_);
    caught_up();
}

// What can be read is still offered; nothing is written, not even the
// later program's log into its file as the connection that found it closes.
// A file that no way of reading opens is held by another program.
void Store::hold_read_only(Fault fault) {
    database_.leave_log_on_close();
    writable_ = false;
    if (open_read_only()) {
        state_ = State::Open;
        return fail(fault);
    }
    const Result result = database_.last_result();
    database_ = {};
    if (passing(result) || result == Result::CannotOpen) return wait();
    fail(fault);
}

// Read-only first; immutable where the -shm cannot be made (a cleanly
// closed log on a read-only medium), which no one can change meanwhile.
bool Store::open_read_only() {
    for (const Database::Mode mode : {Database::Mode::ReadOnly, Database::Mode::Immutable}) {
        database_ = Database::open(path_, mode, options_.vfs);
        if (database_ && migrate(database_) != Migration::Failed) return true;
        if (database_.last_result() != Result::CannotOpen) return false;
    }
    return false;
}

// The spoilt file and its journal move aside together, so that the new
// file never takes the old one's journal for its own. One that another
// program holds open cannot be moved: it is tried again later.
void Store::put_aside_and_start_again() {
    database_ = {};
    state_ = State::Closed;
    writable_ = false;
    const long long now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    std::string aside = aside_name(path_, now);
    for (int n = 2; files::entry_at(aside) != files::Entry::None; ++n) {
        aside = aside_name(path_, now) + "-" + std::to_string(n);
    }
    if (!move_with_companions(path_, aside)) return wait();
    aside_ = aside.substr(aside.find_last_of("\\/") + 1);
    database_ = Database::open(path_, Database::Mode::ReadWrite, options_.vfs);
    const Migration migration = database_ ? migrate(database_) : Migration::Failed;
    if (migration != Migration::Current || database_.read_only()) return settle(migration, false);
    take_for_writing(aside);
    if (!writable_) return;
    if (fault_ == Fault::None) fault_ = Fault::PutAside;
    tell(Fault::PutAside);
}

// Each table that still reads in the file put aside, copied into the new
// one in a transaction of its own, by the columns both know; one that
// fails to read stays only in the file put aside. Without a log of its
// own it is read as it lies, and nothing is made beside it.
void Store::salvage(const std::string& aside) {
    const bool logged = files::entry_at(aside + "-wal") != files::Entry::None;
    Statement attach = database_.prepare("ATTACH DATABASE ? AS spoilt");
    if (attach.bind(1, Database::uri(aside, logged ? Database::Mode::ReadOnly : Database::Mode::Immutable)).run()) {
        for (const char* table : kTables) {
            Statement columns = database_.prepare(
                "SELECT group_concat('\"' || name || '\"', ',') FROM pragma_table_info(?1, 'main') "
                "WHERE name IN (SELECT name FROM pragma_table_info(?1, 'spoilt'))");
            if (!columns.bind(1, std::string_view(table)).step() || !columns.is_text(0)) continue;
            const std::string names = columns.text(0);
            columns = {};
            // A table that fails here stays only in the file put aside.
            static_cast<void>(database_.transaction([&] {
                return database_.exec("INSERT INTO main." + std::string(table) + "(" + names + ") SELECT " + names +
                                      " FROM spoilt." + table);
            }));
        }
    }
    attach = {};
    static_cast<void>(database_.exec("DETACH DATABASE spoilt"));  // fails only where nothing was attached
    database_.clear_failure();
}

// Each refusal in a row doubles the wait; the first is told.
void Store::wait() {
    backoff_ = waiting_ ? std::min(backoff_ * 2, kLongestRetry) : kFirstRetry;
    retry_at_ = options_.clock() + backoff_;
    if (waiting_) return;
    waiting_ = true;
    tell(Fault::Locked);
}

void Store::caught_up() {
    backoff_ = {};
    retry_at_ = {};
    if (!waiting_) return;
    waiting_ = false;
    tell(Fault::CaughtUp);
}

bool Store::backing_off() const { return waiting_ && options_.clock() < retry_at_; }

std::chrono::milliseconds Store::retry_in() const {
    if (!backing_off()) return {};
    return std::chrono::ceil<std::chrono::milliseconds>(retry_at_ - options_.clock());
}

void Store::fail(Fault fault) {
    writable_ = false;
    waiting_ = false;
    if (state_ != State::Open) state_ = State::Unusable;
    if (fault_ != Fault::None && fault_ != Fault::PutAside) return;  // the first lasting fault is the one told
    fault_ = fault;
    tell(fault);
}

void Store::tell(Fault fault) {
    if (!listener_) {
        untold_ = fault;
        return;
    }
    untold_ = Fault::None;
    listener_(fault, fault_text(fault, aside_));
}

void Store::on_fault(std::function<void(Fault, const std::string&)> listener) {
    listener_ = std::move(listener);
    if (untold_ != Fault::None) tell(untold_);
}

Fault Store::fault() const {
    if (fault_ != Fault::None && fault_ != Fault::PutAside) return fault_;
    return waiting_ ? Fault::Locked : fault_;
}

bool Store::keeping() const { return state_ != State::Unusable && (state_ == State::Closed || writable_); }

bool Store::read(const std::function<bool(Database&)>& body) {
    open_existing();
    if (state_ != State::Open) return false;
    database_.clear_failure();
    if (body(database_) && database_.last_result() == Result::Ok) return true;
    failed(false);
    return false;
}

bool Store::write(const std::function<bool(Database&)>& body) {
    make();
    if (!writable_ || backing_off()) return false;
    database_.clear_failure();
    if (database_.transaction([&] { return body(database_); })) {
        caught_up();
        return true;
    }
    failed(true);
    return false;
}

// The same file, VFS and flushing as the store's own connection; the log's
// mode is the file's already.
bool Store::write_behind(std::function<bool(Database&)> body, std::function<void(bool)> finished) {
    settle_behind();
    if (state_ != State::Open || !writable_ || waiting_) return false;
    behind_ = std::thread([path = path_, options = options_, body = std::move(body), finished = std::move(finished)] {
        Database database = Database::open(path, Database::Mode::ReadWrite, options.vfs);
        const bool committed = database && !database.read_only() &&
                               (!options.flush_each_commit || database.exec("PRAGMA synchronous = FULL")) &&
                               database.transaction([&] { return body(database); });
        finished(committed);
    });
    return true;
}

// A file held for reading is never put aside; a lock refusing a read
// leaves nothing unsaved, so only a write waits for it.
void Store::failed(bool writing) {
    const Result result = database_.last_result();
    if (spoilt(result)) {
        if (writable_) put_aside_and_start_again();
        return;
    }
    if (passing(result) || result == Result::CannotOpen) {
        if (writing) wait();
        return;
    }
    if (lasting(result)) fail(fault_of(result));
}

}  // namespace tessivar::store
