#pragma once

#include "platform/system_driver.h"
#include "platform/x11/call_queue.h"

#include <functional>

typedef struct _GSource GSource;

namespace keyweave::x11 {

// The system driver on GLib's default main context, which GTK and its modal dialogs run:
// main-thread calls are a source of that context, so they also run inside a dialog's loop.
class GlibSystemDriver final : public SystemDriver {
public:
    // `beforeExit` runs first when the process ends through ExitProcess.
    explicit GlibSystemDriver(std::function<void()> beforeExit);
    ~GlibSystemDriver() override;
    GlibSystemDriver(const GlibSystemDriver&) = delete;
    GlibSystemDriver& operator=(const GlibSystemDriver&) = delete;

    void Poll() override;
    void Wait() override;
    void PostMainThreadCall(std::function<void()> call) override;
    void Sleep(int ms) override;
    void Notify(const std::u16string& title, const std::u16string& text, bool serious) override;
    [[noreturn]] void ExitProcess(int status) override;

private:
    CallQueue calls_;
    GSource* source_ = nullptr;
    std::function<void()> beforeExit_;
};

} // namespace keyweave::x11
