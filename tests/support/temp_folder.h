#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace keyweave::testing {

// A fresh folder under the system's temporary folder, named `prefix` and a random number,
// removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "keyweave-test") {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                (prefix + "-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // The folder, or a name inside it, as the program's own path text.
    std::u16string Text(const std::u16string& name = u"") const {
        return name.empty() ? path_.u16string() : (path_ / name).u16string();
    }

    // Writes a file of the folder, making the folders on its way.
    void Write(const std::filesystem::path& name, const std::string& bytes) const {
        std::filesystem::create_directories((path_ / name).parent_path());
        std::ofstream file(path_ / name, std::ios::binary | std::ios::trunc);
        file << bytes;
    }

    std::string Read(const std::filesystem::path& name) const {
        std::ifstream file(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    bool Exists(const std::filesystem::path& name) const {
        return std::filesystem::exists(path_ / name);
    }

private:
    std::filesystem::path path_;
};

// A temporary folder that is the current directory while it lives.
class WorkingFolder : public TempFolder {
public:
    WorkingFolder() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(Path());
    }
    ~WorkingFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }

private:
    std::filesystem::path previous_;
};

} // namespace keyweave::testing
