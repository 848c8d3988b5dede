#pragma once

#include "platform/platform.h"

#include <functional>

namespace keyweave::contract {

// A platform under the seams' contract (seam_contract.cpp): its seams, and what the contract
// needs besides them: the platform's clock, other threads and the user's hands. Each program
// that runs the contract defines TheContractPlatform() for the platform it links.
class ContractPlatform {
public:
    virtual ~ContractPlatform() = default;

    virtual Platform& Seams() = 0;

    // The platform's clock, in milliseconds.
    virtual double NowMs() = 0;

    // Lets `ms` pass while the main thread does nothing of the program's.
    virtual void Pass(int ms) = 0;

    // Runs `action` on another thread `afterMs` from now while the main thread goes on; a
    // platform of one thread runs it at that time of its clock, as the clock passes it.
    virtual void Elsewhere(int afterMs, std::function<void()> action) = 0;
    // Returns once every action given to Elsewhere has run.
    virtual void JoinElsewhere() = 0;

    // Ends the message box that the program shows; called from a main-thread call that runs
    // in the box's modal loop.
    virtual void DismissMessageBox() = 0;

    // How much later than the seams promise a real platform may be on a loaded machine; 0
    // where time is virtual.
    virtual double LateMs() const = 0;
};

ContractPlatform& TheContractPlatform();

} // namespace keyweave::contract
