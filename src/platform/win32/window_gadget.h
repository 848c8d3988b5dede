#pragma once

#include "platform/win32/win32_gadget.h"
#include "platform/win32/window_geometry.h"

namespace keyweave::win32 {

class Win32SystemDriver;

// A top-level window with an optional status bar; its client size excludes the status bar.
class WindowGadget final : public Win32Gadget {
public:
    WindowGadget(Win32SystemDriver& system, const std::u16string& title, int x, int y, int width,
                 int height, HWND owner, int style);

    int ClientWidth() override;
    int ClientHeight() override;
    void SetStatus(const std::u16string& text) override;
    void SetColor(Rgb colour) override;

    // Raw keyboard and mouse events for this window: 0 none (the default), else translated.
    void SetSensitivity(int sensitivity) { sensitivity_ = sensitivity; }
    HWND StatusBar() const { return statusBar_; }

    // The window procedure's work; false leaves the message to the system.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void Place(Rect shape);
    int StatusBarHeight() const;
    bool ColourControl(HDC dc, HWND control, LRESULT& result);
    void Activated(bool active);

    Win32SystemDriver& system_;
    HWND statusBar_ = nullptr;
    HWND focus_ = nullptr;
    int sensitivity_ = 0;
};

} // namespace keyweave::win32
