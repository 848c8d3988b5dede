// The program as a module that a launcher loads and runs (the Linux build's keyweave-gtk.so):
// the same start-up and loop as main.cpp.

#include "app/app.h"
#include "platform/platform.h"

extern "C" int keyweave_run(int argc, char** argv) {
    const auto platform = keyweave::CreatePlatform(argc, argv);
    keyweave::TApp::Run(*platform);
}
