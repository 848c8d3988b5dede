#include "platform/wayland/wayland_devices.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <algorithm>
#include <ctime>
#include <linux/input-event-codes.h>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace keyweave::wayland {
namespace {

// The evdev key code of an XKB keycode.
constexpr int kXkbKeycodeOffset = 8;

// A file that holds the keymap's text with its closing NUL byte, for the compositor to map.
int KeymapFile(const std::string& text) {
    const int fd = memfd_create("keyweave-keymap", MFD_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error("cannot make a file for the keymap");
    }
    const char* data = text.c_str();
    std::size_t left = text.size() + 1;
    while (left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written <= 0) {
            close(fd);
            throw std::runtime_error("cannot write the keymap");
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return fd;
}

// The evdev button of the program's button 1 (left) or 2 (right); 0 for any other.
std::uint32_t EvdevButtonOf(int button) {
    switch (button) {
    case 1:
        return BTN_LEFT;
    case 2:
        return BTN_RIGHT;
    default:
        return 0;
    }
}

std::uint32_t Clamped(int value, int extent) {
    return static_cast<std::uint32_t>(std::clamp(value, 0, std::max(extent - 1, 0)));
}

} // namespace

std::uint32_t RequestTime() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                                      static_cast<std::uint64_t>(now.tv_nsec) / 1000000);
}

WaylandKeyboard::WaylandKeyboard(WaylandConnection& connection, TurnClock& turn,
                                 std::unique_ptr<Keymap> keymap)
    : connection_(&connection), turn_(turn), keymap_(std::move(keymap)) {
    MakeVirtualKeyboard();
}

WaylandKeyboard::~WaylandKeyboard() {
    zwp_virtual_keyboard_v1_destroy(keyboard_);
}

void WaylandKeyboard::MakeVirtualKeyboard() {
    keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
        connection_->KeyboardManager(), connection_->Seat());
    UploadKeymap();
}

void WaylandKeyboard::UploadKeymap() {
    const int fd = KeymapFile(keymap_->Text());
    zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<std::uint32_t>(keymap_->Text().size() + 1));
    close(fd);
}

KeySet WaylandKeyboard::HeldKeys() {
    return keymap_->Keys().HeldKeys(sentDown_ | connection_->TakeWindowKeys());
}

void WaylandKeyboard::SendKey(int code, bool down) {
    if (code < 0 || code >= static_cast<int>(pressedWith_.size())) {
        return;
    }
    std::uint8_t& pressedWith = pressedWith_[static_cast<std::size_t>(code)];
    const int keycode = !down && pressedWith != 0 ? pressedWith : keymap_->Keys().KeycodeOf(code);
    if (keycode == 0) {
        return;
    }
    pressedWith = down ? static_cast<std::uint8_t>(keycode) : 0;
    turn_.Sending();
    sentDown_.set(static_cast<std::size_t>(keycode), down);
    zwp_virtual_keyboard_v1_key(
        keyboard_, RequestTime(), static_cast<std::uint32_t>(keycode - kXkbKeycodeOffset),
        down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    SendModifiers(keymap_->Press(keycode, down));
}

void WaylandKeyboard::SendModifiers(const Keymap::Modifiers& modifiers) {
    if (!(modifiers == modifiers_)) {
        modifiers_ = modifiers;
        zwp_virtual_keyboard_v1_modifiers(keyboard_, modifiers.depressed, modifiers.latched,
                                          modifiers.locked, modifiers.group);
    }
}

void WaylandKeyboard::UseKeymap(std::unique_ptr<Keymap> keymap) {
    keymap_ = std::move(keymap);
    Keymap::Modifiers modifiers;
    for (std::size_t keycode = 0; keycode < sentDown_.size(); ++keycode) {
        if (sentDown_.test(keycode)) {
            modifiers = keymap_->Press(static_cast<int>(keycode), true);
        }
    }
    UploadKeymap();
    SendModifiers(modifiers);
    // As at start: the compositor has the keymap before the next key.
    connection_->Roundtrip();
}

void WaylandKeyboard::MoveTo(WaylandConnection& connection) {
    zwp_virtual_keyboard_v1_destroy(keyboard_);
    connection_ = &connection;
    MakeVirtualKeyboard();
}

void WaylandKeyboard::ShortcutKey(int code, bool down) {
    connection_->WindowKey(keymap_->Keys().KeycodeOf(code), down);
}

WaylandMouse::WaylandMouse(WaylandConnection& connection, TurnClock& turn)
    : connection_(&connection), turn_(turn) {
    pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(connection_->PointerManager(),
                                                                      connection_->Seat());
}

WaylandMouse::~WaylandMouse() {
    zwlr_virtual_pointer_v1_destroy(pointer_);
}

void WaylandMouse::MoveCursor(int x, int y) {
    position_ = {x, y};
    turn_.Sending();
    const LayoutArea layout = LayoutOf(connection_->Outputs());
    const ScreenPoint origin = PrimaryOf(connection_->Outputs()).origin;
    zwlr_virtual_pointer_v1_motion_absolute(
        pointer_, RequestTime(), Clamped(origin.x + x - layout.x, layout.width),
        Clamped(origin.y + y - layout.y, layout.height), static_cast<std::uint32_t>(layout.width),
        static_cast<std::uint32_t>(layout.height));
    zwlr_virtual_pointer_v1_frame(pointer_);
}

void WaylandMouse::SendButton(int button, bool down) {
    const std::uint32_t evdevButton = EvdevButtonOf(button);
    if (evdevButton == 0) {
        return;
    }
    turn_.Sending();
    zwlr_virtual_pointer_v1_button(pointer_, RequestTime(), evdevButton,
                                   down ? WL_POINTER_BUTTON_STATE_PRESSED
                                        : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer_);
}

void WaylandMouse::MoveTo(WaylandConnection& connection) {
    zwlr_virtual_pointer_v1_destroy(pointer_);
    connection_ = &connection;
    pointer_ = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(connection_->PointerManager(),
                                                                      connection_->Seat());
}

} // namespace keyweave::wayland
