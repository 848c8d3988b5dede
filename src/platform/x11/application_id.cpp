#include "platform/x11/application_id.h"

#include "platform/x11/program_folder.h"

#include <cstdint>
#include <cstdio>
#include <system_error>

namespace keyweave::x11 {
namespace fs = std::filesystem;

namespace {

std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : bytes) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    return hash;
}

// The folder's absolute path without links, dots or a final separator.
fs::path Normal(const fs::path& folder) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(folder, error), error);
    const fs::path normal = (error ? folder : canonical).lexically_normal();
    return normal.has_filename() ? normal : normal.parent_path();
}

} // namespace

std::string ApplicationIdFor(const fs::path& folder, const fs::path& settingsHome) {
    const fs::path normal = Normal(folder);
    if (normal == Normal(settingsHome)) {
        return kApplicationId;
    }
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(Fnv1a(normal.string())));
    return std::string(kApplicationId) + ".F" + hash;
}

std::string CurrentApplicationId() {
    std::error_code error;
    return ApplicationIdFor(fs::current_path(error), SettingsHome());
}

} // namespace keyweave::x11
