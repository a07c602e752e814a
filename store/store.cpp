#include "store/store.h"

#include <chrono>

#include "store/files.h"

namespace tessivar::store {
namespace {

// `number` in `digits` decimal digits, zeros in front.
std::string padded(long long number, int digits) {
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0 && number > 0; --i, number /= 10) text[i] = static_cast<char>('0' + number % 10);
    return text;
}

bool spoilt(Result result) { return result == Result::Corrupt || result == Result::NotADatabase; }

// What a failed opening or write tells about the run. A file that cannot be
// opened although it is there is most often held by another program; one
// that cannot be made lies in a folder we may not write.
Fault fault_of(Result result, bool existed) {
    switch (result) {
        case Result::Busy:
        case Result::Locked: return Fault::Locked;
        case Result::ReadOnly: return Fault::ReadOnly;
        case Result::CannotOpen: return existed ? Fault::Locked : Fault::ReadOnly;
        case Result::Full: return Fault::Full;
        default: return Fault::Unreadable;
    }
}

// A failure that lasts the run; a busy file or a mistake in one statement
// only costs that write.
bool lasting(Result result) {
    return result == Result::ReadOnly || result == Result::CannotOpen || result == Result::Full ||
           result == Result::InputOutput;
}

}  // namespace

std::string fault_text(Fault fault, const std::string& aside) {
    const std::string nothing = ": в этот раз ничего не сохраняется.";
    switch (fault) {
        case Fault::None: return {};
        case Fault::PutAside: return "Файл базы данных был испорчен и отложен как " + aside + "; начат новый.";
        case Fault::Newer: return "Файл базы данных от более новой версии программы" + nothing;
        case Fault::Locked: return "Файл базы данных занят другой программой" + nothing;
        case Fault::ReadOnly: return "Файл базы данных или его папка только для чтения" + nothing;
        case Fault::Full: return "На диске нет места для файла базы данных" + nothing;
        case Fault::Directory: return "На месте файла базы данных лежит папка" + nothing;
        case Fault::Unreadable: return "Файл базы данных не открывается" + nothing;
    }
    return {};
}

std::string aside_name(const std::string& path, long long seconds) {
    using namespace std::chrono;
    const sys_seconds at{std::chrono::seconds{seconds}};
    const sys_days day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss time{at - day};
    return path + ".bad-" + padded(static_cast<int>(date.year()), 4) + padded(static_cast<unsigned>(date.month()), 2) +
           padded(static_cast<unsigned>(date.day()), 2) + "-" + padded(time.hours().count(), 2) +
           padded(time.minutes().count(), 2) + padded(time.seconds().count(), 2);
}

void Store::open_existing() {
    if (state_ == State::Closed) open(false);
}

void Store::make() {
    if (state_ == State::Closed) open(true);
}

void Store::open(bool make) {
    if (path_.empty()) return fail(Fault::Unreadable);  // nowhere to keep it: no %APPDATA%
    const files::Entry entry = files::entry_at(path_);
    if (entry == files::Entry::Folder) return fail(Fault::Directory);
    const bool existed = entry == files::Entry::File;
    if (!existed && !make) return;
    if (!existed) files::make_parent_folders(path_);  // a failure shows at the opening
    database_ = Database::open(path_, Database::Mode::ReadWrite);
    Migration migration = database_ ? migrate(database_) : Migration::Failed;
    if (migration == Migration::Failed && spoilt(database_.last_result())) {
        put_aside_and_start_again();
        return;
    }
    settle(migration, existed);
}

void Store::settle(Migration migration, bool existed) {
    if (migration == Migration::Current && !database_.read_only()) return take_for_writing();
    if (migration == Migration::Newer) return read_only_for(Fault::Newer);
    if (database_ && database_.read_only()) return read_only_for(Fault::ReadOnly);
    const Result result = database_.last_result();
    database_ = {};
    fail(fault_of(result, existed));
}

// Write-ahead logging: a commit appends to Tessivar.db-wal without waiting
// for the disk (28 ms a small write under Wine with a rollback journal,
// 1 ms so), survives the process being killed, and lets another copy read
// meanwhile. Where the mode cannot be set, the rollback journal serves.
void Store::take_for_writing() {
    state_ = State::Open;
    writable_ = true;
    database_.exec("PRAGMA journal_mode = WAL");
    database_.clear_failure();
    if (opened_) opened_(database_);
}

// What can be read is still offered; nothing is written, not even the
// later program's log into its file as the connection that found it closes.
void Store::read_only_for(Fault fault) {
    database_.leave_log_on_close();
    database_ = Database::open(path_, Database::Mode::ReadOnly);
    const Migration migration = database_ ? migrate(database_) : Migration::Failed;
    if (migration == Migration::Failed) database_ = {};
    state_ = database_ ? State::Open : State::Unusable;
    writable_ = false;
    fail(fault);
}

// The spoilt file and its journal move aside together, so that the new
// file never takes the old one's journal for its own.
void Store::put_aside_and_start_again() {
    database_ = {};
    state_ = State::Unusable;
    writable_ = false;
    const long long now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    std::string aside = aside_name(path_, now);
    for (int n = 2; files::entry_at(aside) != files::Entry::None; ++n) {
        aside = aside_name(path_, now) + "-" + std::to_string(n);
    }
    if (!files::rename(path_, aside)) return fail(Fault::Locked);  // another program holds it open
    for (const char* companion : {"-journal", "-wal", "-shm"}) files::rename(path_ + companion, aside + companion);
    aside_ = aside.substr(aside.find_last_of("\\/") + 1);
    database_ = Database::open(path_, Database::Mode::ReadWrite);
    const Migration migration = database_ ? migrate(database_) : Migration::Failed;
    if (migration == Migration::Current && !database_.read_only()) {
        take_for_writing();
        return fail(Fault::PutAside);
    }
    settle(migration, false);
}

void Store::fail(Fault fault) {
    if (fault != Fault::PutAside) {
        writable_ = false;
        if (state_ != State::Open) state_ = State::Unusable;
    }
    if (fault_ != Fault::None && fault_ != Fault::PutAside) return;  // the first lasting fault is the one told
    fault_ = fault;
    told_ = false;
    if (listener_) {
        told_ = true;
        listener_(fault_, fault_text(fault_, aside_));
    }
}

void Store::on_fault(std::function<void(Fault, const std::string&)> listener) {
    listener_ = std::move(listener);
    if (fault_ != Fault::None && !told_ && listener_) {
        told_ = true;
        listener_(fault_, fault_text(fault_, aside_));
    }
}

bool Store::keeping() const { return state_ != State::Unusable && (state_ == State::Closed || writable_); }

bool Store::read(const std::function<bool(Database&)>& body) {
    open_existing();
    if (state_ != State::Open) return false;
    database_.clear_failure();
    if (body(database_) && database_.last_result() == Result::Ok) return true;
    failed();
    return false;
}

bool Store::write(const std::function<bool(Database&)>& body) {
    make();
    if (!writable_) return false;
    database_.clear_failure();
    if (database_.transaction([&] { return body(database_); })) return true;
    failed();
    return false;
}

void Store::failed() {
    const Result result = database_.last_result();
    if (spoilt(result)) return put_aside_and_start_again();
    if (lasting(result)) fail(fault_of(result, true));
}

}  // namespace tessivar::store
