#include "platform/wayland/wayland_connection.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <algorithm>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace keyweave::wayland {
namespace {

WaylandConnection& Of(void* data) {
    return *static_cast<WaylandConnection*>(data);
}

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
    Of(data).AddGlobal(registry, name, interface, version);
}

void OnGlobalRemove(void* data, wl_registry*, std::uint32_t name) {
    Of(data).RemoveGlobal(name);
}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

void OnCapabilities(void* data, wl_seat*, std::uint32_t capabilities) {
    Of(data).SeatCapabilities(capabilities);
}

void OnSeatName(void*, wl_seat*, const char*) {}

const wl_seat_listener kSeatListener = {OnCapabilities, OnSeatName};

void OnKeymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size) {
    Of(data).KeymapArrived(format, fd, size);
}

void OnEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void OnLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void OnKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void OnModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                 std::uint32_t) {}
void OnRepeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

const wl_keyboard_listener kKeyboardListener = {OnKeymap, OnEnter,     OnLeave,
                                                OnKey,    OnModifiers, OnRepeatInfo};

void OnGeometry(void* data, wl_output* output, std::int32_t x, std::int32_t y, std::int32_t,
                std::int32_t, std::int32_t, const char*, const char*, std::int32_t) {
    Output& area = Of(data).OutputOf(output);
    area.x = x;
    area.y = y;
}

void OnMode(void* data, wl_output* output, std::uint32_t flags, std::int32_t width,
            std::int32_t height, std::int32_t) {
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        Output& area = Of(data).OutputOf(output);
        area.modeWidth = width;
        area.modeHeight = height;
    }
}

void OnDone(void* data, wl_output*) {
    Of(data).OutputDone();
}

void OnScale(void* data, wl_output* output, std::int32_t factor) {
    Of(data).OutputOf(output).scale = factor;
}

void OnOutputText(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener = {OnGeometry, OnMode,       OnDone,
                                            OnScale,    OnOutputText, OnOutputText};

void OnLogicalPosition(void* data, zxdg_output_v1* output, std::int32_t x, std::int32_t y) {
    Output& area = Of(data).OutputOf(output);
    area.logical = gtk::MonitorArea{{x, y}, area.logical.value_or(gtk::MonitorArea{}).size};
}

void OnLogicalSize(void* data, zxdg_output_v1* output, std::int32_t width, std::int32_t height) {
    Output& area = Of(data).OutputOf(output);
    area.logical =
        gtk::MonitorArea{area.logical.value_or(gtk::MonitorArea{}).origin, {width, height}};
}

// Before version 3 the logical place and size end with their own done, after wl_output's.
void OnLogicalDone(void* data, zxdg_output_v1*) {
    Of(data).OutputDone();
}

void OnLogicalText(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener kLogicalOutputListener = {
    OnLogicalPosition, OnLogicalSize, OnLogicalDone, OnLogicalText, OnLogicalText};

} // namespace

WaylandConnection::WaylandConnection(const std::string& name)
    : name_(name), display_(wl_display_connect(name.c_str())) {
    if (display_ == nullptr) {
        throw std::runtime_error("cannot connect to the Wayland compositor");
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    // The globals; then the seat's capabilities and the outputs; then the keyboard's keymap.
    for (int i = 0; i < 3; ++i) {
        Roundtrip();
    }
}

WaylandConnection::~WaylandConnection() {
    if (keyboard_ != nullptr) {
        wl_keyboard_destroy(keyboard_);
    }
    for (const OutputObject& output : outputObjects_) {
        if (output.logical != nullptr) {
            zxdg_output_v1_destroy(output.logical);
        }
        wl_output_destroy(output.proxy);
    }
    if (logicalOutputs_ != nullptr) {
        zxdg_output_manager_v1_destroy(logicalOutputs_);
    }
    if (keyboardManager_ != nullptr) {
        zwp_virtual_keyboard_manager_v1_destroy(keyboardManager_);
    }
    if (pointerManager_ != nullptr) {
        zwlr_virtual_pointer_manager_v1_destroy(pointerManager_);
    }
    if (seat_ != nullptr) {
        wl_seat_destroy(seat_);
    }
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

std::vector<std::string> WaylandConnection::Missing() const {
    std::vector<std::string> missing;
    if (seat_ == nullptr) {
        missing.push_back(wl_seat_interface.name);
    }
    if (keyboardManager_ == nullptr) {
        missing.push_back(zwp_virtual_keyboard_manager_v1_interface.name);
    }
    if (pointerManager_ == nullptr) {
        missing.push_back(zwlr_virtual_pointer_manager_v1_interface.name);
    }
    return missing;
}

int WaylandConnection::Fd() const {
    return wl_display_get_fd(display_);
}

void WaylandConnection::SetFollower(ConnectionFollower* follower) {
    follower_ = follower;
    keymapChanged_ = false;
    outputsChanged_ = false;
}

bool WaylandConnection::Broken() const {
    return wl_display_get_error(display_) != 0;
}

void WaylandConnection::Drain() {
    if (!ReadAndDispatch()) {
        if (follower_ != nullptr) {
            follower_->ConnectionLost();
        }
        return;
    }
    FollowChanges();
}

bool WaylandConnection::ReadAndDispatch() {
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            return false;
        }
    }
    wl_display_flush(display_);
    pollfd readable{Fd(), POLLIN, 0};
    if (poll(&readable, 1, 0) > 0) {
        if (wl_display_read_events(display_) < 0) {
            return false;
        }
    } else {
        wl_display_cancel_read(display_);
    }
    return wl_display_dispatch_pending(display_) >= 0;
}

void WaylandConnection::FollowChanges() {
    while (follower_ != nullptr && (keymapChanged_ || outputsChanged_)) {
        if (keymapChanged_) {
            keymapChanged_ = false;
            follower_->KeymapChanged();
        }
        if (outputsChanged_) {
            outputsChanged_ = false;
            follower_->OutputsChanged();
        }
    }
}

bool WaylandConnection::Roundtrip() {
    return wl_display_roundtrip(display_) >= 0;
}

void WaylandConnection::Flush() {
    wl_display_flush(display_);
}

void WaylandConnection::WindowKey(int keycode, bool down) {
    if (keycode <= 0 || keycode >= 256) {
        return;
    }
    windowDown_.set(static_cast<std::size_t>(keycode), down);
    if (down) {
        windowKeys_.Press(keycode);
    } else {
        windowKeys_.Release(keycode);
    }
}

void WaylandConnection::WindowLostFocus() {
    for (int keycode = 0; keycode < 256; ++keycode) {
        if (windowDown_.test(static_cast<std::size_t>(keycode))) {
            WindowKey(keycode, false);
        }
    }
}

void WaylandConnection::AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                                  std::uint32_t version) {
    const std::string_view named(interface);
    if (named == wl_seat_interface.name && seat_ == nullptr) {
        seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface,
                                                       std::min<std::uint32_t>(version, 4)));
        wl_seat_add_listener(seat_, &kSeatListener, this);
    } else if (named == wl_output_interface.name) {
        auto* output = static_cast<wl_output*>(wl_registry_bind(
            registry, name, &wl_output_interface, std::min<std::uint32_t>(version, 2)));
        outputObjects_.push_back({output, nullptr, name, {}});
        wl_output_add_listener(output, &kOutputListener, this);
        AskForLogicalOutputs();
    } else if (named == zxdg_output_manager_v1_interface.name) {
        logicalOutputs_ = static_cast<zxdg_output_manager_v1*>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface,
                             std::min<std::uint32_t>(version, 3)));
        AskForLogicalOutputs();
    } else if (named == zwp_virtual_keyboard_manager_v1_interface.name) {
        keyboardManager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    } else if (named == zwlr_virtual_pointer_manager_v1_interface.name) {
        pointerManager_ = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}

void WaylandConnection::RemoveGlobal(std::uint32_t name) {
    const auto found =
        std::find_if(outputObjects_.begin(), outputObjects_.end(),
                     [name](const OutputObject& output) { return output.name == name; });
    if (found != outputObjects_.end()) {
        if (found->logical != nullptr) {
            zxdg_output_v1_destroy(found->logical);
        }
        wl_output_destroy(found->proxy);
        outputObjects_.erase(found);
        TakeOutputs();
    }
}

void WaylandConnection::AskForLogicalOutputs() {
    if (logicalOutputs_ == nullptr) {
        return;
    }
    for (OutputObject& output : outputObjects_) {
        if (output.logical == nullptr) {
            output.logical = zxdg_output_manager_v1_get_xdg_output(logicalOutputs_, output.proxy);
            zxdg_output_v1_add_listener(output.logical, &kLogicalOutputListener, this);
        }
    }
}

void WaylandConnection::SeatCapabilities(std::uint32_t capabilities) {
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0 && keyboard_ == nullptr) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
    }
}

void WaylandConnection::KeymapArrived(std::uint32_t format, int fd, std::uint32_t size) {
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped != MAP_FAILED) {
            // The text ends with a NUL byte, which the size counts.
            std::string text(static_cast<const char*>(mapped),
                             strnlen(static_cast<const char*>(mapped), size));
            keymapChanged_ = keymapChanged_ || keymap_ != text;
            keymap_ = std::move(text);
            munmap(mapped, size);
        }
    }
    close(fd);
}

Output& WaylandConnection::OutputOf(wl_output* output) {
    const auto found =
        std::find_if(outputObjects_.begin(), outputObjects_.end(),
                     [output](const OutputObject& object) { return object.proxy == output; });
    return found->described;
}

Output& WaylandConnection::OutputOf(zxdg_output_v1* output) {
    const auto found =
        std::find_if(outputObjects_.begin(), outputObjects_.end(),
                     [output](const OutputObject& object) { return object.logical == output; });
    return found->described;
}

void WaylandConnection::OutputDone() {
    TakeOutputs();
}

// The outputs as the compositor last described them, each once it has told its size, and its
// logical area where it offers one.
void WaylandConnection::TakeOutputs() {
    outputs_.clear();
    for (const OutputObject& object : outputObjects_) {
        const Output& output = object.described;
        if (logicalOutputs_ != nullptr ? output.logical.has_value() : output.modeWidth > 0) {
            outputs_.push_back(output);
        }
    }
    outputsChanged_ = true;
}

} // namespace keyweave::wayland
