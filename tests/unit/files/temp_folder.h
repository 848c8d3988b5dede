#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace keyweave::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("keyweave-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // The folder, or a name inside it, as the program's own path text.
    std::u16string Text(const std::u16string& name = u"") const {
        return name.empty() ? path_.u16string() : (path_ / name).u16string();
    }

    void Write(const std::filesystem::path& name, const std::string& bytes) const {
        std::ofstream file(path_ / name, std::ios::binary);
        file << bytes;
    }

    std::string Contents(const std::filesystem::path& name) const {
        std::ifstream file(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

private:
    std::filesystem::path path_;
};

} // namespace keyweave::testing
