#include "app/app.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    const auto platform = keyweave::CreatePlatform(argc, argv);
    keyweave::TApp::Run(*platform);
}
