#include "process.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace keyweave::x11test {
namespace {

using namespace std::chrono_literals;

bool IsExecutable(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> MergedEnvironment(const Environment& changes) {
    Environment merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text = *entry;
        auto equals = text.find('=');
        if (equals != std::string::npos) {
            merged[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    for (const auto& [name, value] : changes) {
        merged[name] = value;
    }
    std::vector<std::string> result;
    for (const auto& [name, value] : merged) {
        result.push_back(name + "=" + value);
    }
    return result;
}

// The whole of a /proc file; empty when the process ends while it is read: the read then fails
// with ESRCH, which the stream reports by throwing.
std::string ReadProcFile(const std::string& path) {
    std::ifstream file(path);
    try {
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        return {};
    }
}

bool IsGone(pid_t pid) {
    return kill(pid, 0) != 0 && errno == ESRCH;
}

// A process that has ended but whose parent has not reaped it counts as gone.
bool IsZombieOrGone(pid_t pid) {
    if (IsGone(pid)) {
        return true;
    }
    const std::string content = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
    auto close = content.rfind(')');
    return close == std::string::npos || (close + 2 < content.size() && content[close + 2] == 'Z');
}

} // namespace

std::string FindProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return IsExecutable(name) ? name : std::string();
    }
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (IsExecutable(candidate)) {
            return candidate;
        }
    }
    return {};
}

pid_t Spawn(const std::vector<std::string>& command, const SpawnOptions& options) {
    // Everything the child needs is prepared before the fork: after it, only system calls.
    std::vector<char*> argv;
    for (const auto& argument : command) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> environment = MergedEnvironment(options.environment);
    std::vector<char*> envp;
    for (auto& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string output = options.outputFile.empty() ? "/dev/null" : options.outputFile;
    const pid_t parent = getpid();

    pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    // A child ends with this process, so that no test leaves anything running behind it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) {
        _exit(127);
    }
    int input = open("/dev/null", O_RDONLY);
    int log = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (input < 0 || log < 0 || dup2(input, 0) < 0 || dup2(log, 1) < 0 || dup2(log, 2) < 0) {
        _exit(127);
    }
    if (options.passFd >= 0 && dup2(options.passFd, 3) < 0) {
        _exit(127);
    }
    if (!options.workingFolder.empty() && chdir(options.workingFolder.c_str()) != 0) {
        _exit(127);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
}

std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (done < 0) {
            return -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(5ms);
    }
}

void EndChild(pid_t pid, std::chrono::milliseconds grace) {
    if (pid <= 0) {
        return;
    }
    kill(pid, SIGTERM);
    if (!WaitForExit(pid, grace)) {
        kill(pid, SIGKILL);
        WaitForExit(pid, 5000ms);
    }
}

void EndProcess(pid_t pid, std::chrono::milliseconds grace) {
    if (pid <= 0 || IsGone(pid)) {
        return;
    }
    kill(pid, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + grace;
    while (!IsZombieOrGone(pid) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    if (!IsZombieOrGone(pid)) {
        kill(pid, SIGKILL);
    }
}

std::vector<pid_t> ChildrenOf(pid_t parent) {
    std::vector<pid_t> children;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) {
        return children;
    }
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0) {
            continue;
        }
        const std::string content = ReadProcFile(std::string("/proc/") + entry->d_name + "/stat");
        auto close = content.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream fields(content.substr(close + 2));
        std::string state;
        long ppid = 0;
        fields >> state >> ppid;
        if (ppid == parent) {
            children.push_back(static_cast<pid_t>(pid));
        }
    }
    closedir(proc);
    return children;
}

int RunToEnd(const std::vector<std::string>& command, const SpawnOptions& options,
             std::chrono::milliseconds limit) {
    pid_t pid = Spawn(command, options);
    if (pid < 0) {
        return -1;
    }
    auto status = WaitForExit(pid, limit);
    if (!status) {
        EndChild(pid);
        return -1;
    }
    return *status;
}

std::chrono::milliseconds CpuTime(pid_t pid) {
    const std::string content = ReadProcFile("/proc/" + std::to_string(pid) + "/stat");
    auto close = content.rfind(')');
    if (close == std::string::npos) {
        return {};
    }
    std::istringstream fields(content.substr(close + 2));
    std::string field;
    long long ticks = 0;
    // Fields 3 to 15 of /proc/PID/stat; utime and stime are the 14th and 15th.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index >= 14) {
            ticks += std::stoll(field);
        }
    }
    return std::chrono::milliseconds(ticks * 1000 / sysconf(_SC_CLK_TCK));
}

double PeakResidentMiB(pid_t pid) {
    std::istringstream status(ReadProcFile("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            std::istringstream fields(line.substr(6));
            double kib = 0;
            fields >> kib;
            return kib / 1024.0;
        }
    }
    return 0;
}

Pipe::Pipe() {
    int ends[2];
    if (pipe(ends) == 0) {
        read = fcntl(ends[0], F_DUPFD_CLOEXEC, 10);
        write = fcntl(ends[1], F_DUPFD_CLOEXEC, 10);
        close(ends[0]);
        close(ends[1]);
    }
}

Pipe::~Pipe() {
    CloseWrite();
    if (read >= 0) {
        close(read);
    }
}

void Pipe::CloseWrite() {
    if (write >= 0) {
        close(write);
        write = -1;
    }
}

std::string Pipe::ReadLine(std::chrono::milliseconds limit) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd ready{read, POLLIN, 0};
        if (poll(&ready, 1, 50) <= 0) {
            continue;
        }
        char c;
        if (::read(read, &c, 1) != 1) {
            break;
        }
        if (c == '\n') {
            return line;
        }
        line += c;
    }
    return {};
}

} // namespace keyweave::x11test
