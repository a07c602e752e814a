#pragma once
// The program's one database file, opened with suspicion: whatever the file
// holds, the program works; at worst it keeps nothing this run, and says so
// once. A file SQLite reports as spoilt is put aside, never deleted, and a
// new one started.
#include <functional>
#include <string>

#include "store/database.h"
#include "store/schema.h"

namespace tessivar::store {

// Why less than everything is kept this run.
enum class Fault {
    None,
    PutAside,    // spoilt: renamed aside, a new file started; keeping goes on
    Newer,       // from a later version: read, never written
    Locked,      // another program holds it
    ReadOnly,    // the file or its folder may not be written
    Full,        // no room left on the disk
    Directory,   // a folder where the file should be
    Unreadable,  // anything else
};

// The status bar's sentence for a fault (UTF-8); `aside` names the file put aside.
std::string fault_text(Fault fault, const std::string& aside);

// The name a spoilt file is put aside under: `path`.bad-YYYYMMDD-HHMMSS, at
// UTC `seconds` since 1970.
std::string aside_name(const std::string& path, long long seconds);

class Store {
public:
    // `path` (UTF-8): where the file lies or is to lie. Nothing is opened yet.
    explicit Store(std::string path) : path_(std::move(path)) {}
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    const std::string& path() const { return path_; }

    // At start: a file already there is opened, checked and brought forward.
    // A missing file stays missing until the first write or `make`.
    void open_existing();
    // The file (and its folder) made now where missing: for a first use that
    // reads, such as the histories, which the registry import fills.
    void make();

    // `body` on the connection to read from: false when there is nothing to
    // read (no file yet, or one that cannot be read) or `body` failed. A
    // spoilt file found on the way is put aside.
    bool read(const std::function<bool(Database&)>& body);
    // `body` in one short write transaction, the file (and its folder) made
    // on first need: whether it was committed. A lasting failure (a full
    // disk, a read-only file, a spoilt file) ends keeping for this run and is
    // told once; a file busy for longer than the busy timeout only loses
    // this write.
    bool write(const std::function<bool(Database&)>& body);

    // Runs after each writable opening, before any write (the registry import).
    void on_opened(std::function<void(Database&)> opened) { opened_ = std::move(opened); }
    // Told once, at the first fault (at once when one came before).
    void on_fault(std::function<void(Fault, const std::string& text)> listener);
    Fault fault() const { return fault_; }
    // Whether writes can still be kept this run.
    bool keeping() const;

private:
    enum class State { Closed, Open, Unusable };
    void open(bool make);
    void settle(Migration migration, bool existed);
    void take_for_writing();
    void read_only_for(Fault fault);
    void put_aside_and_start_again();
    void fail(Fault fault);
    void failed();

    std::string path_;
    Database database_;
    State state_ = State::Closed;
    bool writable_ = false;
    Fault fault_ = Fault::None;
    std::string aside_;
    bool told_ = false;
    std::function<void(Database&)> opened_;
    std::function<void(Fault, const std::string&)> listener_;
};

}  // namespace tessivar::store
