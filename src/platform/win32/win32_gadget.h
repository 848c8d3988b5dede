#pragma once

#include "runtime/gui/gadget.h"

#include <windows.h>

namespace keyweave::win32 {

// The font of every control: the system's message font.
HFONT GuiFont();

// A gadget realised as a window or control. The window handle carries a pointer back to its
// gadget, so that notifications find the gadget they are for.
class Win32Gadget : public TGadget {
public:
    Win32Gadget(int gadgetClass, int x, int y, int width, int height, int style);
    ~Win32Gadget() override;
    Win32Gadget(const Win32Gadget&) = delete;
    Win32Gadget& operator=(const Win32Gadget&) = delete;

    HWND Handle() const { return handle_; }
    static Win32Gadget* FromHandle(HWND handle);

    // A notification (WM_COMMAND code) of this control.
    virtual void Command(int) {}
    // The brush behind this control's text, or null for the system's.
    HBRUSH Background() const { return background_; }

    // The last step of creation: from now on the gadget reports what the user does.
    void BecomeSensitive() { sensitive_ = true; }

    void SetText(const std::u16string& text) override;
    std::u16string GetText() override;

protected:
    void Attach(HWND handle);
    // Destroys a window that the gadget had before it was given another (Attach).
    static void Discard(HWND window);
    void SetBackground(Rgb colour);
    // Events are reported only by a gadget that is fully made and not being destroyed.
    bool Sensitive() const { return sensitive_; }

private:
    HWND handle_ = nullptr;
    HBRUSH background_ = nullptr;
    bool sensitive_ = false;
};

// The controls keep their window (group) alive, so that their handles stay valid.
class ControlGadget : public Win32Gadget {
public:
    ControlGadget(int gadgetClass, int x, int y, int width, int height, int style, GadgetRef group);

protected:
    HWND Create(const wchar_t* windowClass, const std::u16string& text, DWORD style, DWORD exStyle,
                int id, int height);

private:
    GadgetRef group_;
};

class LabelGadget final : public ControlGadget {
public:
    LabelGadget(const std::u16string& text, int x, int y, int width, int height, int style,
                GadgetRef group);
    void SetColor(Rgb colour) override;
};

class ButtonGadget final : public ControlGadget {
public:
    ButtonGadget(const std::u16string& text, int x, int y, int width, int height, int style,
                 GadgetRef group);
    void Command(int notification) override;
};

} // namespace keyweave::win32
