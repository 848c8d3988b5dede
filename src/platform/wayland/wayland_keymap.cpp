#include "platform/wayland/wayland_keymap.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <xkbcommon/xkbcommon.h>

namespace keyweave::wayland {
namespace {

constexpr int kLevelsUsed = 2;

gtk::Keysym KeysymAt(xkb_keymap* keymap, xkb_keycode_t keycode, xkb_level_index_t level) {
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, 0, level, &syms);
    return count > 0 ? syms[0] : 0;
}

} // namespace

gtk::KeyboardMapping MappingOf(xkb_keymap* keymap) {
    gtk::KeyboardMapping mapping;
    const xkb_keycode_t first = xkb_keymap_min_keycode(keymap);
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap);
    mapping.minKeycode = static_cast<int>(first);
    mapping.keysymsPerKeycode = kLevelsUsed;
    for (xkb_keycode_t keycode = first; keycode <= last; ++keycode) {
        for (xkb_level_index_t level = 0; level < kLevelsUsed; ++level) {
            mapping.keysyms.push_back(KeysymAt(keymap, keycode, level));
        }
        const char* name = xkb_keymap_key_get_name(keymap, keycode);
        mapping.keyNames.emplace_back(name != nullptr ? name : "");
    }
    return mapping;
}

Keymap::Keymap(const std::string& text)
    : context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS), xkb_context_unref) {
    Load(xkb_keymap_new_from_string(context_.get(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                    XKB_KEYMAP_COMPILE_NO_FLAGS));
}

Keymap::Keymap() : context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS), xkb_context_unref) {
    Load(xkb_keymap_new_from_names(context_.get(), nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

Keymap::~Keymap() {
    xkb_state_unref(state_);
    xkb_keymap_unref(keymap_);
}

void Keymap::Load(xkb_keymap* keymap) {
    if (keymap == nullptr) {
        throw std::runtime_error("cannot compile the keyboard's keymap");
    }
    keymap_ = keymap;
    state_ = xkb_state_new(keymap_);
    char* text = xkb_keymap_get_as_string(keymap_, XKB_KEYMAP_FORMAT_TEXT_V1);
    text_ = text;
    std::free(text);
    mapping_ = MappingOf(keymap_);
    keys_ = gtk::VirtualKeyMap(mapping_);
}

bool Keymap::IsALayout() const {
    auto allFound = [this](int first, int last) {
        for (int code = first; code <= last; ++code) {
            if (keys_.KeycodeOf(code) == 0) {
                return false;
            }
        }
        return true;
    };
    return allFound('A', 'Z') && allFound('0', '9');
}

int Keymap::KeycodeOf(gtk::Keysym keysym) const {
    const auto found = std::find(mapping_.keysyms.begin(), mapping_.keysyms.end(), keysym);
    if (keysym == 0 || found == mapping_.keysyms.end()) {
        return 0;
    }
    return mapping_.minKeycode +
           static_cast<int>(found - mapping_.keysyms.begin()) / mapping_.keysymsPerKeycode;
}

Keymap::Modifiers Keymap::Press(int keycode, bool down) {
    xkb_state_update_key(state_, static_cast<xkb_keycode_t>(keycode),
                         down ? XKB_KEY_DOWN : XKB_KEY_UP);
    return {xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED),
            xkb_state_serialize_mods(state_, XKB_STATE_MODS_LATCHED),
            xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED),
            xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_EFFECTIVE)};
}

} // namespace keyweave::wayland
