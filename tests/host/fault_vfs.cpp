#include "tests/host/fault_vfs.h"

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tessivar::testing {

const char* name_of(Call call) {
    switch (call) {
        case Call::Lock: return "lock";
        case Call::Read: return "read";
        case Call::Write: return "write";
        case Call::Sync: return "sync";
        case Call::Truncate: return "truncate";
    }
    return "?";
}

namespace {

// Our file, with the system's own file behind it in the same allocation.
struct FaultFile {
    sqlite3_file base;
    sqlite3_file* real;
    std::string* path;  // the database file's or the log's; null for other files
    bool database;      // the database file, which has a -shm
};

sqlite3_vfs* system_vfs() {
    static sqlite3_vfs* const found = sqlite3_vfs_find(nullptr);
    return found;
}

bool exists(const char* path) {
    std::error_code ignored;
    return path && std::filesystem::exists(path, ignored);
}

std::string bytes_of(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

// SQLite's calls: each asks the plan, then the system's own VFS.
struct FaultVfsHooks {
    static FaultVfs& vfs() { return FaultVfs::get(); }
    static sqlite3_file* real(sqlite3_file* file) { return reinterpret_cast<FaultFile*>(file)->real; }

    static int close(sqlite3_file* file) {
        auto* ours = reinterpret_cast<FaultFile*>(file);
        const int code = ours->real->pMethods ? ours->real->pMethods->xClose(ours->real) : SQLITE_OK;
        delete ours->path;
        return code;
    }
    static int read(sqlite3_file* file, void* into, int amount, sqlite3_int64 offset) {
        const int fault = vfs().next(Call::Read);
        return fault ? fault : real(file)->pMethods->xRead(real(file), into, amount, offset);
    }
    static int write(sqlite3_file* file, const void* from, int amount, sqlite3_int64 offset) {
        const int fault = vfs().next(Call::Write);
        return fault ? fault : real(file)->pMethods->xWrite(real(file), from, amount, offset);
    }
    static int truncate(sqlite3_file* file, sqlite3_int64 size) {
        const int fault = vfs().next(Call::Truncate);
        return fault ? fault : real(file)->pMethods->xTruncate(real(file), size);
    }
    static int sync(sqlite3_file* file, int flags) {
        if (const int fault = vfs().next(Call::Sync)) return fault;
        const int code = real(file)->pMethods->xSync(real(file), flags);
        const std::string* path = reinterpret_cast<FaultFile*>(file)->path;
        if (code == SQLITE_OK && path) vfs().synced(*path);
        return code;
    }
    static int file_size(sqlite3_file* file, sqlite3_int64* size) {
        return real(file)->pMethods->xFileSize(real(file), size);
    }
    static int lock(sqlite3_file* file, int level) {
        const int fault = vfs().next(Call::Lock);
        return fault ? fault : real(file)->pMethods->xLock(real(file), level);
    }
    static int unlock(sqlite3_file* file, int level) { return real(file)->pMethods->xUnlock(real(file), level); }
    static int check_reserved_lock(sqlite3_file* file, int* out) {
        return real(file)->pMethods->xCheckReservedLock(real(file), out);
    }
    static int file_control(sqlite3_file* file, int op, void* argument) {
        return real(file)->pMethods->xFileControl(real(file), op, argument);
    }
    static int sector_size(sqlite3_file* file) { return real(file)->pMethods->xSectorSize(real(file)); }
    static int device_characteristics(sqlite3_file* file) {
        return real(file)->pMethods->xDeviceCharacteristics(real(file));
    }
    // A medium or folder that cannot take a new -shm refuses the index as
    // the system does: it cannot be opened.
    static int shm_map(sqlite3_file* file, int page, int page_size, int extend, void volatile** out) {
        const auto* ours = reinterpret_cast<FaultFile*>(file);
        if (vfs().powered_off_) return SQLITE_IOERR;
        if ((vfs().read_only_medium_ || vfs().read_only_folder_) && ours->database &&
            !exists((*ours->path + "-shm").c_str())) {
            return SQLITE_CANTOPEN;
        }
        return real(file)->pMethods->xShmMap(real(file), page, page_size, extend, out);
    }
    // Only write locks on the index fail: a reader's shared marks are
    // never refused by another copy's write lock.
    static int shm_lock(sqlite3_file* file, int offset, int count, int flags) {
        if ((flags & SQLITE_SHM_LOCK) && (flags & SQLITE_SHM_EXCLUSIVE)) {
            if (const int fault = vfs().next(Call::Lock)) return fault;
        }
        return real(file)->pMethods->xShmLock(real(file), offset, count, flags);
    }
    static void shm_barrier(sqlite3_file* file) { real(file)->pMethods->xShmBarrier(real(file)); }
    static int shm_unmap(sqlite3_file* file, int delete_flag) {
        return real(file)->pMethods->xShmUnmap(real(file), delete_flag);
    }

    // Version 2: no memory-mapped reads, so that every read is a call here.
    static constexpr sqlite3_io_methods kMethods = {
        2,           close,       read,      write,       truncate,       sync,
        file_size,   lock,        unlock,    check_reserved_lock,     file_control,
        sector_size, device_characteristics, shm_map,     shm_lock,   shm_barrier,
        shm_unmap,   nullptr,     nullptr,
    };

    static int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* out_flags) {
        auto* ours = reinterpret_cast<FaultFile*>(file);
        ours->base.pMethods = nullptr;
        ours->real = reinterpret_cast<sqlite3_file*>(ours + 1);
        ours->path = nullptr;
        ours->database = false;
        if (vfs().powered_off_) return SQLITE_CANTOPEN;
        const bool unwritable = vfs().read_only_medium_ || vfs().read_only_folder_;
        if (name && unwritable && (flags & SQLITE_OPEN_CREATE) && !exists(name)) return SQLITE_CANTOPEN;
        if (name && vfs().read_only_medium_ && (flags & SQLITE_OPEN_READWRITE)) {
            flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
        }
        int got = 0;
        const int code = system_vfs()->xOpen(system_vfs(), name, ours->real, flags, &got);
        if (out_flags) *out_flags = got;
        if (code != SQLITE_OK) return code;
        if (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL)) {
            ours->path = new std::string(name);
            ours->database = flags & SQLITE_OPEN_MAIN_DB;
            if (vfs().watching_ && !vfs().synced_.contains(name)) vfs().synced(name);
        }
        ours->base.pMethods = &kMethods;
        return SQLITE_OK;
    }
    static int remove(sqlite3_vfs*, const char* name, int sync_folder) {
        if (vfs().read_only_medium_ || vfs().read_only_folder_ || vfs().powered_off_) return SQLITE_IOERR_DELETE;
        vfs().synced_.erase(name);
        return system_vfs()->xDelete(system_vfs(), name, sync_folder);
    }
    static int access(sqlite3_vfs*, const char* name, int flags, int* out) {
        const int code = system_vfs()->xAccess(system_vfs(), name, flags, out);
        if (code == SQLITE_OK && flags == SQLITE_ACCESS_READWRITE && vfs().read_only_medium_) *out = 0;
        return code;
    }
    static int full_pathname(sqlite3_vfs*, const char* name, int size, char* out) {
        return system_vfs()->xFullPathname(system_vfs(), name, size, out);
    }
    static int randomness(sqlite3_vfs*, int size, char* out) {
        return system_vfs()->xRandomness(system_vfs(), size, out);
    }
    static int sleep(sqlite3_vfs*, int microseconds) { return system_vfs()->xSleep(system_vfs(), microseconds); }
    static int current_time(sqlite3_vfs*, double* now) { return system_vfs()->xCurrentTime(system_vfs(), now); }
    static int last_error(sqlite3_vfs*, int size, char* out) {
        return system_vfs()->xGetLastError(system_vfs(), size, out);
    }
    static int current_time_64(sqlite3_vfs*, sqlite3_int64* now) {
        return system_vfs()->xCurrentTimeInt64(system_vfs(), now);
    }
};

FaultVfs::FaultVfs() {
    static sqlite3_vfs ours{};
    sqlite3_initialize();
    sqlite3_vfs* base = system_vfs();
    ours.iVersion = 2;
    ours.szOsFile = static_cast<int>(sizeof(FaultFile)) + base->szOsFile;
    ours.mxPathname = base->mxPathname;
    ours.zName = kFaultVfs;
    ours.xOpen = FaultVfsHooks::open;
    ours.xDelete = FaultVfsHooks::remove;
    ours.xAccess = FaultVfsHooks::access;
    ours.xFullPathname = FaultVfsHooks::full_pathname;
    ours.xRandomness = FaultVfsHooks::randomness;
    ours.xSleep = FaultVfsHooks::sleep;
    ours.xCurrentTime = FaultVfsHooks::current_time;
    ours.xGetLastError = FaultVfsHooks::last_error;
    ours.xCurrentTimeInt64 = FaultVfsHooks::current_time_64;
    sqlite3_vfs_register(&ours, 0);
}

FaultVfs& FaultVfs::get() {
    static FaultVfs vfs;
    return vfs;
}

// Known by name before the first test opens a store on it.
const FaultVfs& registered_at_start = FaultVfs::get();

void FaultVfs::fail(Call call, int code, int nth, bool once) {
    call_ = call;
    code_ = code;
    countdown_ = nth;
    once_ = once;
    failed_ = 0;
}

void FaultVfs::synced(const std::string& path) {
    if (watching_) synced_[path] = bytes_of(path);
}

void FaultVfs::cut_power() {
    for (const auto& [path, bytes] : synced_) std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    powered_off_ = true;
}

void FaultVfs::clear() {
    code_ = SQLITE_OK;
    failed_ = 0;
    read_only_medium_ = false;
    read_only_folder_ = false;
    watching_ = false;
    powered_off_ = false;
    synced_.clear();
}

int FaultVfs::next(Call call) {
    if (powered_off_) return SQLITE_IOERR;
    if (code_ == SQLITE_OK || call != call_) return SQLITE_OK;
    if (countdown_ > 1) {
        --countdown_;
        return SQLITE_OK;
    }
    ++failed_;
    const int code = code_;
    if (once_) code_ = SQLITE_OK;
    return code;
}

}  // namespace tessivar::testing
