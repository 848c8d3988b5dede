#pragma once

#include "script/script.h"

namespace keyweave {

class Platform;

// The application-wide operations.
class TApp {
public:
    // settings.ini (app/settings.cpp). SaveSettings gives 1 when the binding was saved, 0 when
    // the file could not be written and was left as it was.
    static int LoadSettings();
    static int SaveSettings();

    // The start-up warning when no Start/Stop key is bound.
    static int CheckBindings();
    // Clears the script selection (called with none only).
    static int SelectScript(const ScriptRef& script);
    // Releases what the program holds down and ends the process with status 0.
    [[noreturn]] static int Close();

    // Start-up: the runtime on this platform, then the program's state, key table, settings,
    // window and scripts, and the start-up warning.
    static void StartUp(Platform& platform);
    // One turn of the main loop.
    static void Turn();
    // Start-up, then the main loop for the life of the process.
    [[noreturn]] static void Run(Platform& platform);
};

} // namespace keyweave
