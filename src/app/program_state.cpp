#include "app/program_state.h"

namespace keyweave {

namespace {
std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
}

ProgramState& Program() {
    return *state;
}

void ResetProgramState() {
    state = std::make_unique<ProgramState>();
}

} // namespace keyweave
