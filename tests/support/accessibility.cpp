#include "accessibility.h"

#include <atspi/atspi-constants.h>
#include <cstdlib>
#include <gio/gio.h>
#include <optional>
#include <sstream>
#include <thread>

namespace keyweave::x11test {
namespace {

// Plain synchronous D-Bus calls on the accessibility bus: no event subscriptions and no
// re-entrant dispatching, so a query cannot wait on itself.
constexpr int kCallLimitMs = 3000;

GDBusConnection* bus = nullptr;

GDBusConnection* Bus() {
    if (bus == nullptr) {
        const char* address = std::getenv("AT_SPI_BUS_ADDRESS");
        if (address == nullptr) {
            return nullptr;
        }
        bus = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
    }
    return bus;
}

struct Reference {
    std::string name;
    std::string path;
};

// The reply of a method, or null when the call failed (no such interface, say).
GVariant* Call(const std::string& name, const std::string& path, const char* interface,
               const char* method, GVariant* parameters, const char* replyType) {
    return g_dbus_connection_call_sync(Bus(), name.c_str(), path.c_str(), interface, method,
                                       parameters, G_VARIANT_TYPE(replyType),
                                       G_DBUS_CALL_FLAGS_NONE, kCallLimitMs, nullptr, nullptr);
}

std::vector<Reference> Children(const Reference& of) {
    std::vector<Reference> children;
    GVariant* reply =
        Call(of.name, of.path, "org.a11y.atspi.Accessible", "GetChildren", nullptr, "(a(so))");
    if (reply == nullptr) {
        return children;
    }
    GVariantIter* iter = nullptr;
    g_variant_get(reply, "(a(so))", &iter);
    const char* name = nullptr;
    const char* path = nullptr;
    while (g_variant_iter_next(iter, "(&s&o)", &name, &path)) {
        children.push_back({name, path});
    }
    g_variant_iter_free(iter);
    g_variant_unref(reply);
    return children;
}

std::string StringReply(GVariant* reply) {
    if (reply == nullptr) {
        return {};
    }
    const char* text = nullptr;
    g_variant_get(reply, "(&s)", &text);
    std::string result = text;
    g_variant_unref(reply);
    return result;
}

std::string Name(const Reference& of) {
    GVariant* reply = Call(of.name, of.path, "org.freedesktop.DBus.Properties", "Get",
                           g_variant_new("(ss)", "org.a11y.atspi.Accessible", "Name"), "(v)");
    if (reply == nullptr) {
        return {};
    }
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    std::string name = g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)
                           ? g_variant_get_string(value, nullptr)
                           : "";
    g_variant_unref(value);
    g_variant_unref(reply);
    return name;
}

bool IsShowing(const Reference& of) {
    GVariant* reply =
        Call(of.name, of.path, "org.a11y.atspi.Accessible", "GetState", nullptr, "(au)");
    if (reply == nullptr) {
        return false;
    }
    GVariantIter* iter = nullptr;
    g_variant_get(reply, "(au)", &iter);
    guint32 word = 0;
    std::vector<guint32> words;
    while (g_variant_iter_next(iter, "u", &word)) {
        words.push_back(word);
    }
    g_variant_iter_free(iter);
    g_variant_unref(reply);
    const unsigned bit = ATSPI_STATE_SHOWING;
    return words.size() > bit / 32 && ((words[bit / 32] >> (bit % 32)) & 1);
}

void ReadExtents(const Reference& of, UiElement& element) {
    GVariant* reply = Call(of.name, of.path, "org.a11y.atspi.Component", "GetExtents",
                           g_variant_new("(u)", ATSPI_COORD_TYPE_SCREEN), "((iiii))");
    if (reply != nullptr) {
        g_variant_get(reply, "((iiii))", &element.x, &element.y, &element.width, &element.height);
        g_variant_unref(reply);
    }
}

pid_t ProcessOf(const std::string& busName) {
    GVariant* reply =
        Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
             "GetConnectionUnixProcessID", g_variant_new("(s)", busName.c_str()), "(u)");
    if (reply == nullptr) {
        return -1;
    }
    guint32 pid = 0;
    g_variant_get(reply, "(u)", &pid);
    g_variant_unref(reply);
    return static_cast<pid_t>(pid);
}

void Collect(const Reference& of, int depth, std::vector<UiElement>& out) {
    if (depth > 30) {
        return;
    }
    UiElement element;
    element.depth = depth;
    element.role = StringReply(
        Call(of.name, of.path, "org.a11y.atspi.Accessible", "GetRoleName", nullptr, "(s)"));
    element.name = Name(of);
    element.showing = IsShowing(of);
    ReadExtents(of, element);
    if (element.role == "text") {
        element.text = StringReply(Call(of.name, of.path, "org.a11y.atspi.Text", "GetText",
                                        g_variant_new("(ii)", 0, -1), "(s)"));
    }
    out.push_back(element);
    for (const Reference& child : Children(of)) {
        Collect(child, depth + 1, out);
    }
}

std::optional<Reference> Find(const Reference& of, const std::string& role, const std::string& name,
                              int depth) {
    if (depth > 30) {
        return std::nullopt;
    }
    if (Name(of) == name && StringReply(Call(of.name, of.path, "org.a11y.atspi.Accessible",
                                             "GetRoleName", nullptr, "(s)")) == role) {
        return of;
    }
    for (const Reference& child : Children(of)) {
        if (auto found = Find(child, role, name, depth + 1)) {
            return found;
        }
    }
    return std::nullopt;
}

// The first element with this role, whatever its name.
std::optional<Reference> FindRole(const Reference& of, const std::string& role, int depth) {
    if (depth > 30) {
        return std::nullopt;
    }
    if (StringReply(Call(of.name, of.path, "org.a11y.atspi.Accessible", "GetRoleName", nullptr,
                         "(s)")) == role) {
        return of;
    }
    for (const Reference& child : Children(of)) {
        if (auto found = FindRole(child, role, depth + 1)) {
            return found;
        }
    }
    return std::nullopt;
}

std::vector<Reference> WindowsOf(pid_t pid) {
    std::vector<Reference> windows;
    if (Bus() == nullptr) {
        return windows;
    }
    const Reference desktop{"org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"};
    for (const Reference& application : Children(desktop)) {
        if (ProcessOf(application.name) == pid) {
            for (const Reference& window : Children(application)) {
                windows.push_back(window);
            }
        }
    }
    return windows;
}

} // namespace

std::vector<UiElement> Accessibility::Elements(pid_t pid) {
    std::vector<UiElement> elements;
    for (const Reference& window : WindowsOf(pid)) {
        Collect(window, 0, elements);
    }
    return elements;
}

bool Accessibility::Press(pid_t pid, const std::string& role, const std::string& name) {
    for (const Reference& window : WindowsOf(pid)) {
        if (auto element = Find(window, role, name, 0)) {
            GVariant* reply = Call(element->name, element->path, "org.a11y.atspi.Action",
                                   "DoAction", g_variant_new("(i)", 0), "(b)");
            if (reply == nullptr) {
                return false;
            }
            gboolean done = FALSE;
            g_variant_get(reply, "(b)", &done);
            g_variant_unref(reply);
            return done;
        }
    }
    return false;
}

bool Accessibility::Choose(pid_t pid, const std::string& role, const std::string& item) {
    for (const Reference& window : WindowsOf(pid)) {
        const std::optional<Reference> chooser = FindRole(window, role, 0);
        if (!chooser) {
            continue;
        }
        std::vector<UiElement> elements;
        Collect(*chooser, 0, elements);
        int index = 0;
        for (const UiElement& element : elements) {
            if (element.role != "table cell" && element.role != "menu item") {
                continue;
            }
            if (element.name == item) {
                GVariant* reply = Call(chooser->name, chooser->path, "org.a11y.atspi.Selection",
                                       "SelectChild", g_variant_new("(i)", index), "(b)");
                gboolean done = FALSE;
                if (reply != nullptr) {
                    g_variant_get(reply, "(b)", &done);
                    g_variant_unref(reply);
                }
                return done;
            }
            ++index;
        }
    }
    return false;
}

std::optional<UiElement> Accessibility::WaitFor(pid_t pid, const std::string& role,
                                                const std::string& name,
                                                std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        for (const UiElement& element : Elements(pid)) {
            if (element.role == role && element.name.find(name) != std::string::npos) {
                return element;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

std::string Accessibility::Describe(const std::vector<UiElement>& elements) {
    std::ostringstream out;
    for (const UiElement& element : elements) {
        out << std::string(element.depth * 2, ' ') << element.role << " \"" << element.name << "\" "
            << element.width << "x" << element.height << "+" << element.x << "+" << element.y
            << (element.showing ? "" : " (hidden)") << "\n";
    }
    return out.str();
}

void Accessibility::Disconnect() {
    if (bus != nullptr) {
        g_dbus_connection_close_sync(bus, nullptr, nullptr);
        g_object_unref(bus);
        bus = nullptr;
    }
}

} // namespace keyweave::x11test
