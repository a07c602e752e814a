#pragma once
// A folder of the test's own under the system's temporary folder, removed
// with everything in it when the test ends.
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace tessivar {

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::random_device random;
        do {
            path_ = std::filesystem::temp_directory_path() / ("tessivar-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A file's path inside, as UTF-8.
    std::string file(const std::string& name) const {
        const std::u8string utf8 = (path_ / name).u8string();
        return std::string(utf8.begin(), utf8.end());
    }

private:
    std::filesystem::path path_;
};

}  // namespace tessivar
