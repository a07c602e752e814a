#pragma once
// A VFS over the system's own that fails the calls a test chooses, so that
// every write path meets a lock, a failing disk, a full disk and a
// read-only medium on demand. A store opened on `kFaultVfs` behaves as on
// the system's own until a fault is armed.
#include <map>
#include <string>

namespace tessivar::testing {

inline constexpr char kFaultVfs[] = "tessivar-faults";

enum class Call {
    Lock,      // a lock taken on a file, or a write lock on the log's index
    Read,
    Write,
    Sync,
    Truncate,
};
const char* name_of(Call call);

class FaultVfs {
public:
    // Registered as the tests start, never as the default.
    static FaultVfs& get();

    // From the `nth` call of `call` on (counted from now), each fails with
    // SQLite's `code` until `clear`; with `once`, only that call.
    void fail(Call call, int code, int nth = 1, bool once = false);
    // How many calls the armed fault failed.
    int failed() const { return failed_; }

    // A write-protected medium: files open for reading only, none is made,
    // nothing is written, and the log's index cannot be made.
    void set_read_only_medium(bool on) { read_only_medium_ = on; }
    // A folder that may not be written: no file is made in it, the files
    // already there may be written.
    void set_read_only_folder(bool on) { read_only_folder_ = on; }

    // From now on each database file and log opened is watched: what was
    // written to it since its last sync is what a power cut takes.
    void watch_for_power_cuts() { watching_ = true; }
    // The power goes: every watched file goes back to its last synced
    // bytes, and every call fails until `clear`, so that no closing writes.
    void cut_power();

    // Every fault off, the power back; the files as writable as the system makes them.
    void clear();

private:
    friend struct FaultVfsHooks;
    FaultVfs();
    // SQLite's result for the next call of `call`: SQLITE_OK, or the fault.
    int next(Call call);
    void synced(const std::string& path);


    Call call_ = Call::Lock;
    int code_ = 0;  // SQLITE_OK: nothing armed
    int countdown_ = 0;
    bool once_ = false;
    int failed_ = 0;
    bool read_only_medium_ = false;
    bool read_only_folder_ = false;
    bool watching_ = false;
    bool powered_off_ = false;
    std::map<std::string, std::string> synced_;  // each watched file's bytes at its last sync
};

}  // namespace tessivar::testing
