#pragma once

#include "platform/keyboard_device.h"

#include <cstdint>
#include <functional>
#include <string>

typedef struct _GDBusConnection GDBusConnection;
typedef struct _GVariant GVariant;

namespace keyweave::gtk {

// The Start/Stop combination as a global shortcut of the desktop, through the GlobalShortcuts
// portal (org.freedesktop.portal.GlobalShortcuts) on the session bus, where the desktop offers
// it (KDE Plasma, GNOME 48 and later, Hyprland): one shortcut, "Start/Stop", with the
// combination as its preferred trigger. The desktop may ask the user to confirm or change the
// keys; its activation and deactivation are the combination's press and release. Everything
// runs on GLib's default main context, so the portal's answers and signals arrive while the
// main thread pumps.
class PortalShortcut;

// A keyboard whose Start/Stop combination the desktop's shortcut, when there is one, reports
// from everywhere: the combination is registered with it whenever it is bound, and its keys
// count as held while the desktop reports the shortcut pressed.
class ShortcutKeyboard : public KeyboardDevice {
public:
    void BindCombination(const KeySet& keys) override;

    void SetShortcut(PortalShortcut* shortcut) { shortcut_ = shortcut; }
    // The desktop's shortcut was activated (pressed) or deactivated.
    void CombinationPressed(bool down);

protected:
    // The key of this code goes down or up as the poll sees it.
    virtual void ShortcutKey(int code, bool down) = 0;

private:
    PortalShortcut* shortcut_ = nullptr;
    KeySet combination_;
};

class PortalShortcut {
public:
    PortalShortcut();
    ~PortalShortcut();
    PortalShortcut(const PortalShortcut&) = delete;
    PortalShortcut& operator=(const PortalShortcut&) = delete;

    // Whether the session bus has the portal with the GlobalShortcuts interface.
    bool Available() const { return available_; }

    // `pressed` hears of each activation (true) and deactivation (false) from now on.
    void Listen(std::function<void(bool)> pressed) { pressed_ = std::move(pressed); }

    // Registers the shortcut with this preferred trigger in a new portal session (the previous
    // one is closed); an empty trigger only closes the session.
    void Bind(const std::string& trigger);

    // The portal's signals and answers (GDBus callbacks).
    void Signalled(const char* member, GVariant* parameters);
    void Answered(const std::string& requestPath, GVariant* parameters);

private:
    // A request of the portal whose answer comes as the Response signal of a request object;
    // its path is known before the call.
    std::string Request(const char* method, GVariant* parameters, const std::string& token);
    void BindInSession();
    void CloseSession();

    std::function<void(bool)> pressed_;
    GDBusConnection* bus_ = nullptr;
    bool available_ = false;
    unsigned shortcutSignals_ = 0;
    unsigned responses_ = 0;
    std::string senderPath_; // the bus's unique name as request paths spell it
    std::string trigger_;
    std::string session_;
    std::string sessionRequest_;
    std::string bindRequest_;
    std::uint32_t tokens_ = 0;
};

// The XDG shortcut text of a combination of the key table's codes ("CTRL+SHIFT+F12"):
// modifiers first, either side alike, then the other keys by their keysym names. Empty for an
// empty combination.
std::string PreferredTrigger(const KeySet& keys);

} // namespace keyweave::gtk
