#pragma once

#include <exception>
#include <utility>

namespace keyweave::win32 {

// Code that the system calls back (window procedures) must not let an exception unwind
// through the system's frames. It is kept instead and raised again on the main thread once
// the system has returned: when the pump or the message box is done.
void KeepFailure(std::exception_ptr failure);
void RaiseKeptFailure();

template <typename Body> void RunGuarded(Body&& body) {
    try {
        std::forward<Body>(body)();
    } catch (...) {
        KeepFailure(std::current_exception());
    }
}

} // namespace keyweave::win32
