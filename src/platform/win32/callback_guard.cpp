#include "platform/win32/callback_guard.h"

namespace keyweave::win32 {

namespace {

// Main thread only. The first failure wins: later ones are usually its consequences.
std::exception_ptr keptFailure;

} // namespace

void KeepFailure(std::exception_ptr failure) {
    if (keptFailure == nullptr) {
        keptFailure = std::move(failure);
    }
}

void RaiseKeptFailure() {
    if (keptFailure != nullptr) {
        std::rethrow_exception(std::exchange(keptFailure, nullptr));
    }
}

} // namespace keyweave::win32
