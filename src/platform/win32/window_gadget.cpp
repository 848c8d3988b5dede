#include "platform/win32/window_gadget.h"

#include "platform/platform_input.h"
#include "platform/win32/callback_guard.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_system_driver.h"

#include <commctrl.h>
#include <stdexcept>

namespace keyweave::win32 {

namespace {

const wchar_t* const kWindowClass = L"KeyweaveWindow";

// A resizable window's status text keeps clear of the size grip.
const std::u16string kGripClearance = u"     ";

LRESULT CALLBACK WindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(handle, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<WindowGadget*>(GetWindowLongPtrW(handle, GWLP_USERDATA));
    if (window != nullptr && window->Handle() == handle) {
        LRESULT result = 0;
        bool handled = false;
        RunGuarded([&] { handled = window->OnMessage(message, wParam, lParam, result); });
        if (handled) {
            return result;
        }
    }
    return DefWindowProcW(handle, message, wParam, lParam);
}

void RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    if (!registered) {
        throw std::runtime_error("The system could not register the window class");
    }
}

bool IsRawInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_MOUSELEAVE ||
           message == WM_CLOSE || message == WM_ACTIVATEAPP;
}

// The frame that the system puts around this window's client area, as it is.
Rect FrameOf(HWND window) {
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return {outer.left - origin.x, outer.top - origin.y, outer.right - (origin.x + client.right),
            outer.bottom - (origin.y + client.bottom)};
}

} // namespace

WindowGadget::WindowGadget(Win32SystemDriver& system, const std::u16string& title, int x, int y,
                           int width, int height, HWND owner, int style)
    : Win32Gadget(WindowClass, x, y, width, height, style), system_(system) {
    RegisterWindowClass();
    const WindowStyles styles = WindowStylesFor(style);
    HWND handle =
        CreateWindowExW(styles.exStyle, kWindowClass, Wide(title).c_str(), styles.style, x, y,
                        width, height, owner, nullptr, GetModuleHandleW(nullptr), this);
    if (handle == nullptr) {
        throw std::runtime_error("The system could not create a window");
    }
    Attach(handle);
    if ((style & WindowStatusBar) != 0) {
        const DWORD grip = (style & WindowResizable) != 0 ? SBARS_SIZEGRIP : 0;
        statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | grip, 0, 0,
                                     0, 0, handle, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), TRUE);
        SendMessageW(statusBar_, WM_SIZE, 0, 0);
    }
    Place({x, y, x + width, y + height});
    if ((style & WindowHidden) == 0) {
        ShowWindow(handle, SW_SHOW);
        UpdateWindow(handle);
    }
}

void WindowGadget::Place(Rect shape) {
    const bool clientShape = (style & WindowClientShape) != 0;
    const Rect window =
        PlaceWindow(shape, FrameOf(Handle()), StatusBarHeight(), clientShape).window;
    SetWindowPos(Handle(), nullptr, window.left, window.top, window.Width(), window.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

int WindowGadget::StatusBarHeight() const {
    if (statusBar_ == nullptr) {
        return 0;
    }
    RECT bar{};
    GetWindowRect(statusBar_, &bar);
    return bar.bottom - bar.top;
}

int WindowGadget::ClientWidth() {
    RECT client{};
    GetClientRect(Handle(), &client);
    return client.right;
}

int WindowGadget::ClientHeight() {
    RECT client{};
    GetClientRect(Handle(), &client);
    return client.bottom - StatusBarHeight();
}

void WindowGadget::SetStatus(const std::u16string& text) {
    if (statusBar_ == nullptr) {
        return;
    }
    const std::u16string shown = (style & WindowResizable) != 0 ? text + kGripClearance : text;
    SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(shown).c_str()));
}

void WindowGadget::SetColor(Rgb colour) {
    SetBackground(colour);
}

bool WindowGadget::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (Sensitive() && sensitivity_ != 0 && IsRawInput(message)) {
        RECT client{};
        GetClientRect(Handle(), &client);
        system_.TranslateRawInput({reinterpret_cast<std::uintptr_t>(Handle()), shared_from_this(),
                                   client.right, client.bottom},
                                  message, wParam, lParam);
    }
    switch (message) {
    case WM_CLOSE:
        // The program decides whether the window closes.
        if (Sensitive()) {
            InputWindowClose(*this);
        }
        result = 0;
        return true;
    case WM_COMMAND:
        if (lParam != 0) {
            if (Win32Gadget* control = FromHandle(reinterpret_cast<HWND>(lParam))) {
                control->Command(HIWORD(wParam));
            }
        }
        result = 0;
        return true;
    case WM_SIZE:
        if (statusBar_ != nullptr) {
            SendMessageW(statusBar_, WM_SIZE, 0, 0);
        }
        return false;
    case WM_ERASEBKGND:
        if (Background() != nullptr) {
            RECT client{};
            GetClientRect(Handle(), &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, Background());
            result = 1;
            return true;
        }
        return false;
    case WM_CTLCOLORSTATIC:
        return ColourControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), result);
    case WM_ACTIVATE:
        Activated(LOWORD(wParam) != WA_INACTIVE);
        result = 0;
        return true;
    default:
        return false;
    }
}

bool WindowGadget::ColourControl(HDC dc, HWND control, LRESULT& result) {
    const Win32Gadget* gadget = FromHandle(control);
    HBRUSH brush = gadget != nullptr ? gadget->Background() : nullptr;
    if (brush == nullptr) {
        brush = Background();
    }
    if (brush == nullptr) {
        return false;
    }
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(brush);
    return true;
}

// The keyboard focus returns to the control that had it when the window was last left.
void WindowGadget::Activated(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(Handle(), focus)) {
            focus_ = focus;
        }
        return;
    }
    HWND target = focus_;
    if (target == nullptr || !IsWindow(target) || !IsChild(Handle(), target)) {
        target = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    }
    SetFocus(target != nullptr ? target : Handle());
}

} // namespace keyweave::win32
