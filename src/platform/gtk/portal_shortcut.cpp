#include "platform/gtk/portal_shortcut.h"

#include "platform/gtk/virtual_keys.h"

#include <algorithm>
#include <gio/gio.h>
#include <gtk/gtk.h>
#include <vector>

namespace keyweave::gtk {
namespace {

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kShortcuts = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* kShortcutId = "start-stop";

struct Modifier {
    const char* name;
    std::vector<int> codes;
};

// In the order the XDG shortcut texts write them.
const Modifier kModifiers[] = {{"CTRL", {17, 162, 163}},
                               {"ALT", {18, 164, 165}},
                               {"SHIFT", {16, 160, 161}},
                               {"LOGO", {91, 92}}};

bool IsModifier(int code) {
    return std::any_of(std::begin(kModifiers), std::end(kModifiers), [code](const Modifier& m) {
        return std::find(m.codes.begin(), m.codes.end(), code) != m.codes.end();
    });
}

std::string KeysymName(int code) {
    const auto keysyms = KeysymsOf(code);
    const gchar* name = keysyms.empty() ? nullptr : gdk_keyval_name(keysyms.front());
    return name != nullptr ? name : "";
}

void OnSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* member,
              GVariant* parameters, gpointer shortcut) {
    static_cast<PortalShortcut*>(shortcut)->Signalled(member, parameters);
}

void OnResponse(GDBusConnection*, const gchar*, const gchar* path, const gchar*, const gchar*,
                GVariant* parameters, gpointer shortcut) {
    static_cast<PortalShortcut*>(shortcut)->Answered(path, parameters);
}

// Whether the portal answers for the GlobalShortcuts interface (its version property).
bool PortalOffersShortcuts(GDBusConnection* bus) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, kPortal, kPortalPath, "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", kShortcuts, "version"), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE,
        2000, nullptr, nullptr);
    if (reply == nullptr) {
        return false;
    }
    g_variant_unref(reply);
    return true;
}

} // namespace

std::string PreferredTrigger(const KeySet& keys) {
    std::string trigger;
    auto add = [&trigger](const std::string& part) {
        if (!part.empty()) {
            trigger += (trigger.empty() ? "" : "+") + part;
        }
    };
    for (const Modifier& modifier : kModifiers) {
        if (std::any_of(modifier.codes.begin(), modifier.codes.end(),
                        [&keys](int code) { return keys.test(static_cast<std::size_t>(code)); })) {
            add(modifier.name);
        }
    }
    for (int code = 0; code < 256; ++code) {
        if (keys.test(static_cast<std::size_t>(code)) && !IsModifier(code)) {
            add(KeysymName(code));
        }
    }
    return trigger;
}

PortalShortcut::PortalShortcut() {
    bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (bus_ == nullptr || !PortalOffersShortcuts(bus_)) {
        return;
    }
    available_ = true;
    std::string sender = g_dbus_connection_get_unique_name(bus_) + 1;
    std::replace(sender.begin(), sender.end(), '.', '_');
    senderPath_ = sender;
    shortcutSignals_ =
        g_dbus_connection_signal_subscribe(bus_, kPortal, kShortcuts, nullptr, kPortalPath, nullptr,
                                           G_DBUS_SIGNAL_FLAGS_NONE, OnSignal, this, nullptr);
    responses_ = g_dbus_connection_signal_subscribe(
        bus_, kPortal, "org.freedesktop.portal.Request", "Response", nullptr, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, OnResponse, this, nullptr);
}

PortalShortcut::~PortalShortcut() {
    if (bus_ == nullptr) {
        return;
    }
    CloseSession();
    if (available_) {
        g_dbus_connection_signal_unsubscribe(bus_, shortcutSignals_);
        g_dbus_connection_signal_unsubscribe(bus_, responses_);
    }
    g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
    g_object_unref(bus_);
}

std::string PortalShortcut::Request(const char* method, GVariant* parameters,
                                    const std::string& token) {
    g_dbus_connection_call(bus_, kPortal, kPortalPath, kShortcuts, method, parameters, nullptr,
                           G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr, nullptr);
    return std::string(kPortalPath) + "/request/" + senderPath_ + "/" + token;
}

void PortalShortcut::Bind(const std::string& trigger) {
    if (!available_ || trigger == trigger_) {
        return;
    }
    trigger_ = trigger;
    CloseSession();
    if (trigger_.empty()) {
        return;
    }
    const std::string token = "keyweave" + std::to_string(++tokens_);
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "session_handle_token",
                          g_variant_new_string(token.c_str()));
    sessionRequest_ = Request("CreateSession", g_variant_new("(a{sv})", &options), token);
}

void PortalShortcut::BindInSession() {
    const std::string token = "keyweave" + std::to_string(++tokens_);
    GVariantBuilder properties;
    g_variant_builder_init(&properties, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&properties, "{sv}", "description", g_variant_new_string("Start/Stop"));
    g_variant_builder_add(&properties, "{sv}", "preferred_trigger",
                          g_variant_new_string(trigger_.c_str()));
    GVariantBuilder shortcuts;
    g_variant_builder_init(&shortcuts, G_VARIANT_TYPE("a(sa{sv})"));
    g_variant_builder_add(&shortcuts, "(sa{sv})", kShortcutId, &properties);
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    bindRequest_ = Request(
        "BindShortcuts",
        g_variant_new("(oa(sa{sv})sa{sv})", session_.c_str(), &shortcuts, "", &options), token);
}

void PortalShortcut::CloseSession() {
    if (session_.empty()) {
        return;
    }
    g_dbus_connection_call(bus_, kPortal, session_.c_str(), "org.freedesktop.portal.Session",
                           "Close", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr,
                           nullptr);
    session_.clear();
}

void PortalShortcut::Answered(const std::string& requestPath, GVariant* parameters) {
    guint32 response = 1;
    GVariant* results = nullptr;
    g_variant_get(parameters, "(u@a{sv})", &response, &results);
    if (requestPath == sessionRequest_ && response == 0) {
        const gchar* session = nullptr;
        if (g_variant_lookup(results, "session_handle", "&s", &session)) {
            session_ = session;
            BindInSession();
        }
    }
    g_variant_unref(results);
}

void PortalShortcut::Signalled(const char* member, GVariant* parameters) {
    const std::string name = member;
    if (name != "Activated" && name != "Deactivated") {
        return;
    }
    const gchar* session = nullptr;
    const gchar* id = nullptr;
    g_variant_get_child(parameters, 0, "&o", &session);
    g_variant_get_child(parameters, 1, "&s", &id);
    if (pressed_ && session_ == session && std::string(id) == kShortcutId) {
        pressed_(name == "Activated");
    }
}

void ShortcutKeyboard::BindCombination(const KeySet& keys) {
    combination_ = keys;
    if (shortcut_ != nullptr) {
        shortcut_->Bind(PreferredTrigger(keys));
    }
}

void ShortcutKeyboard::CombinationPressed(bool down) {
    for (int code = 0; code < 256; ++code) {
        if (combination_.test(static_cast<std::size_t>(code))) {
            ShortcutKey(code, down);
        }
    }
}

} // namespace keyweave::gtk
