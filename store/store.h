#pragma once
// The program's one database file, opened with suspicion: whatever the file
// holds, the program works. A lock is passing: a write it refuses is tried
// again later, and the store never gives up on the file for it. A file that
// cannot be written is read. A file SQLite reports as spoilt has what still
// reads copied into a new one, and is put aside, never deleted.
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

#include "store/database.h"
#include "store/schema.h"

namespace tessivar::store {

// Why less than everything is kept, or that keeping goes on again.
enum class Fault {
    None,
    PutAside,    // spoilt: what still read was copied to a new file, the old one renamed aside
    Newer,       // from a later version: read, never written
    Locked,      // another program holds it: keeping waits, and writes again when it lets go
    ReadOnly,    // the file, its folder or its medium may not be written: read, never written
    Full,        // no room left on the disk
    Directory,   // a folder where the file should be
    Unreadable,  // anything else
    CaughtUp,    // after Locked: a write went through again
};

// The status bar's sentence for a fault (UTF-8); `aside` names the file put aside.
std::string fault_text(Fault fault, const std::string& aside);

// The name a spoilt file is put aside under: `path`.bad-YYYYMMDD-HHMMSS, at
// UTC `seconds` since 1970.
std::string aside_name(const std::string& path, long long seconds);

struct StoreOptions {
    using Clock = std::chrono::steady_clock;
    // The SQLite VFS the file is opened on; empty, the system's own. Tests
    // name one that fails chosen calls.
    std::string vfs;
    // What the waits are measured by: tests move time on by hand.
    std::function<Clock::time_point()> clock = Clock::now;
    // Each commit waits until the log is on the disk: for a file on a stick
    // that may be pulled out while the program runs.
    bool flush_each_commit = false;
};

class Store {
public:
    // After a write refused by a lock, the file is left alone this long, then
    // twice as long after each refusal again, up to the longest: a held
    // file costs one busy timeout now and then, not one every keystroke.
    static constexpr std::chrono::milliseconds kFirstRetry{500};
    static constexpr std::chrono::milliseconds kLongestRetry{8000};

    // `path` (UTF-8): where the file lies or is to lie. Nothing is opened yet.
    explicit Store(std::string path, StoreOptions options = {})
        : path_(std::move(path)), options_(std::move(options)) {}
    ~Store() { settle_behind(); }
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    const std::string& path() const { return path_; }

    // At start: a file already there is opened, checked and brought forward.
    // A missing file stays missing until the first write or `make`. A file
    // held by another program stays closed until a later call finds it free.
    void open_existing();
    // The file (and its folder) made now where missing: for a first use that
    // reads, such as the histories, which the registry import fills.
    void make();

    // `body` on the connection to read from: false when there is nothing to
    // read (no file yet, one held by another program, one that cannot be
    // read) or `body` failed. A spoilt file found on the way is put aside.
    [[nodiscard]] bool read(const std::function<bool(Database&)>& body);
    // What `body` returns on the connection to read from; an empty value
    // where `read` would be false.
    template <class Body>
    std::invoke_result_t<Body&, Database&> read_value(Body body) {
        std::invoke_result_t<Body&, Database&> value{};
        const bool got = read([&](Database& database) {
            value = body(database);
            return true;
        });
        return got ? std::move(value) : decltype(value){};
    }
    // `body` in one short write transaction, the file (and its folder) made
    // on first need: whether it was committed. False while `waiting()` means
    // "try again later": nothing of it was written, and a later write that
    // goes through keeps it only if it writes it again (the caller keeps what
    // is unsaved). A lasting failure (a full disk, a read-only file) ends
    // keeping for this run and is told once.
    [[nodiscard]] bool write(const std::function<bool(Database&)>& body);
    // A write the user asked for in person (opening an entry, Delete, the
    // switch, a layout's rename): tried on the file at once, whatever wait a
    // refused save began, so that a lock gone is not taken for a lock held.
    [[nodiscard]] bool write_now(const std::function<bool(Database&)>& body) {
        attempt_now();
        return write(body);
    }

    // `body` in one write transaction on a connection and a thread of their
    // own, for a write of megabytes that would hold the window a long while;
    // `finished(committed)` is called on that thread at its end. False, with
    // nothing started, where the file is not open for writing, a wait is on,
    // or a write behind is still going: the caller writes in the foreground,
    // where a failure is told. Every other call waits for it first, so that
    // this program's own lock is never taken for another's.
    [[nodiscard]] bool write_behind(std::function<bool(Database&)> body, std::function<void(bool committed)> finished);
    // Waits for the write behind, if one is going.
    void settle_behind() {
        if (behind_.joinable()) behind_.join();
    }

    // Runs after each writable opening, before any write (the registry import).
    void on_opened(std::function<void(Database&)> opened) { opened_ = std::move(opened); }
    // Told at the first lasting fault (and nothing after it); at each file put
    // aside (told once the new file takes writes: the listener may write the
    // whole form to it at once); at the start of each wait (Locked) and at its
    // end (CaughtUp). The last of these before a listener is told to it at once.
    void on_fault(std::function<void(Fault, const std::string& text)> listener);
    // The lasting fault; else Locked while waiting; else PutAside where a
    // file was put aside this run; else None.
    Fault fault() const;
    // Whether writes can still be kept this run (a wait included).
    bool keeping() const;
    // Whether the last write or opening was refused by another program's lock
    // and none has gone through since: something is unsaved for a wait.
    bool waiting() const { return waiting_; }
    // How long until the store tries the file again; zero, at the next call.
    std::chrono::milliseconds retry_in() const;
    // The next call tries the file at once, whatever the wait: the last save
    // at close or at the end of the session.
    void attempt_now() { retry_at_ = {}; }

private:
    enum class State { Closed, Open, Unusable };
    void open(bool make);
    void settle(Migration migration, bool existed);
    void take_for_writing(const std::string& salvage_from = {});
    void hold_read_only(Fault fault);
    bool open_read_only();
    void put_aside_and_start_again();
    void salvage(const std::string& aside);
    void wait();
    void caught_up();
    bool backing_off() const;
    void fail(Fault fault);
    void failed(bool writing);
    void tell(Fault fault);

    std::string path_;
    StoreOptions options_;
    Database database_;
    State state_ = State::Closed;
    bool writable_ = false;
    Fault fault_ = Fault::None;  // the lasting fault, or PutAside
    bool waiting_ = false;
    std::chrono::milliseconds backoff_{0};
    StoreOptions::Clock::time_point retry_at_{};
    std::string aside_;
    Fault untold_ = Fault::None;
    std::function<void(Database&)> opened_;
    std::function<void(Fault, const std::string&)> listener_;
    std::thread behind_;
};

}  // namespace tessivar::store
