#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace keyweave::testing {

// A new empty folder that is the current directory while the object lives.
class WorkingFolder {
public:
    WorkingFolder() : previous_(std::filesystem::current_path()) {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("keyweave-test-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
        std::filesystem::current_path(path_);
    }

    ~WorkingFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }

    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    void Write(const std::filesystem::path& name, const std::string& bytes) const {
        std::filesystem::create_directories((path_ / name).parent_path());
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out << bytes;
    }

    std::string Read(const std::filesystem::path& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    bool Exists(const std::filesystem::path& name) const {
        return std::filesystem::exists(path_ / name);
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

} // namespace keyweave::testing
