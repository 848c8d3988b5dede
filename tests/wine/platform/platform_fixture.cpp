#include "platform_fixture.h"

#include "contract/seam_contract.h"

#include <memory>

namespace keyweave::win32::test {

Win32Platform& ThePlatform() {
    static Win32Platform* platform = [] {
        PrepareProcess();
        return new Win32Platform();
    }();
    return *platform;
}

FocusWindow::FocusWindow() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KeyweaveFocusWindow";
        return RegisterClassW(&windowClass) != 0;
    }();
    static_cast<void>(registered);
    handle_ =
        CreateWindowExW(0, L"KeyweaveFocusWindow", L"Focus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20,
                        20, 200, 150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(handle_);
    SetFocus(handle_);
    PumpUntil([this] { return GetForegroundWindow() == handle_; }, 2000);
    // Wine releases the keys it pressed when one of its windows gains the X focus, which
    // comes a little after the window is in front.
    PumpFor(200);
}

FocusWindow::~FocusWindow() {
    DestroyWindow(handle_);
}

void PostTick(std::uint32_t id, std::uintptr_t user) {
    auto* log = reinterpret_cast<TickLog*>(user);
    log->handedOn.push_back(NowMs());
    ThePlatform().System().PostMainThreadCall([log, id] {
        if (id != log->id) {
            log->wrongId = true;
        }
        log->times.push_back(NowMs());
    });
}

void SettleKeyboard() {
    for (int round = 0; round < 2; ++round) {
        PumpFor(static_cast<int>(KeyChangeWatch::kRecheckMs) + 10);
        ThePlatform().Keyboard().HeldKeys();
    }
}

bool WaitForKeyState(int key, bool down) {
    return PumpUntil([&] { return ((GetAsyncKeyState(key) & 0x8000) != 0) == down; }, 500);
}

} // namespace keyweave::win32::test

namespace keyweave::contract {
namespace {

// The Windows platform under the seams' contract.
class Win32Contract final : public ContractPlatform {
public:
    Platform& Seams() override { return win32::test::ThePlatform(); }
    double NowMs() override { return win32::NowMs(); }
    void Pass(int ms) override {
        if (ms > 0) {
            Sleep(static_cast<DWORD>(ms));
        }
    }
    void Elsewhere(int afterMs, std::function<void()> action) override {
        auto* later = new Later{afterMs, std::move(action)};
        threads_.push_back(CreateThread(nullptr, 0, Run, later, 0, nullptr));
    }
    void JoinElsewhere() override {
        for (HANDLE thread : threads_) {
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
        threads_.clear();
    }
    void DismissMessageBox() override {
        if (HWND box = FindWindowW(L"#32770", L"Keyweave contract")) {
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    }
    double LateMs() const override { return 60; }

private:
    struct Later {
        int afterMs;
        std::function<void()> action;
    };

    static DWORD WINAPI Run(LPVOID data) {
        std::unique_ptr<Later> later(static_cast<Later*>(data));
        Sleep(static_cast<DWORD>(later->afterMs));
        later->action();
        return 0;
    }

    std::vector<HANDLE> threads_;
};

} // namespace

ContractPlatform& TheContractPlatform() {
    static Win32Contract platform;
    return platform;
}

} // namespace keyweave::contract
