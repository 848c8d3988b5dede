#include "platform/gtk/call_wake.h"

#include <cstdint>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace keyweave::gtk {

CallWake::CallWake() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0) {
        throw std::runtime_error("cannot make an eventfd for the main thread's calls");
    }
}

CallWake::~CallWake() {
    close(fd_);
}

// The call is linked in before the write, so the main thread finds it once it sees Fd()
// readable.
void CallWake::Post(std::function<void()> call) {
    calls_.Post(std::move(call));
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
}

void CallWake::Acknowledge() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(fd_, &count, sizeof count);
}

} // namespace keyweave::gtk
