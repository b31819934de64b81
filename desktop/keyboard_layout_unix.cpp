#include "desktop_session.h"
#include "keyboard_layout.h"

#include <wayland-client.h>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

// The layout comes from the keymap the display server gives its clients: from the X server's
// XKB extension (with the group in use) or from a Wayland seat's keyboard (its first group:
// a client without a focused window is not told which group is locked).

namespace {

struct ContextFree
{
    void operator()(xkb_context *c) const { xkb_context_unref(c); }
};
struct KeymapFree
{
    void operator()(xkb_keymap *k) const { xkb_keymap_unref(k); }
};
struct StateFree
{
    void operator()(xkb_state *s) const { xkb_state_unref(s); }
};
using Context = std::unique_ptr<xkb_context, ContextFree>;
using Keymap = std::unique_ptr<xkb_keymap, KeymapFree>;

// The spacing form of a dead key, the mark printed on it.
char32_t deadKeyMark(xkb_keysym_t sym)
{
    static const struct
    {
        xkb_keysym_t sym;
        char32_t mark;
    } marks[] = {{XKB_KEY_dead_grave, U'`'}, {XKB_KEY_dead_acute, U'\u00B4'},
        {XKB_KEY_dead_circumflex, U'^'}, {XKB_KEY_dead_tilde, U'~'},
        {XKB_KEY_dead_macron, U'\u00AF'}, {XKB_KEY_dead_breve, U'\u02D8'},
        {XKB_KEY_dead_abovedot, U'\u02D9'}, {XKB_KEY_dead_diaeresis, U'\u00A8'},
        {XKB_KEY_dead_abovering, U'\u02DA'}, {XKB_KEY_dead_doubleacute, U'\u02DD'},
        {XKB_KEY_dead_caron, U'\u02C7'}, {XKB_KEY_dead_cedilla, U'\u00B8'},
        {XKB_KEY_dead_ogonek, U'\u02DB'}};
    for (const auto &m : marks)
        if (m.sym == sym)
            return m.mark;
    return 0;
}

// The character of a key at a level of a layout; 0 for none.
char32_t characterAt(xkb_keymap *keymap, xkb_keycode_t key, xkb_layout_index_t layout, int level)
{
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap, key);
    if (layouts == 0)
        return 0;
    const xkb_keysym_t *syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(
        keymap, key, layout < layouts ? layout : 0, xkb_level_index_t(level), &syms);
    if (count < 1)
        return 0;
    const char32_t mark = deadKeyMark(syms[0]);
    return mark != 0 ? mark : char32_t(xkb_keysym_to_utf32(syms[0]));
}

xkb_keycode_t keycodeOf(const KeyboardLayouts::PrintedKey &key)
{
    return xkb_keycode_t(key.linuxCode + 8);
}

KeyboardLayout layoutOf(xkb_keymap *keymap, xkb_layout_index_t active)
{
    KeyboardLayout out;
    const xkb_layout_index_t count = xkb_keymap_num_layouts(keymap);
    if (count == 0)
        return out;
    if (active >= count)
        active = 0;
    if (const char *name = xkb_keymap_layout_get_name(keymap, active))
        out.name = QString::fromUtf8(name);
    for (const auto &key : KeyboardLayouts::printedKeys()) {
        const QString label =
            KeyboardLayouts::labelOf(characterAt(keymap, keycodeOf(key), active, 0),
                characterAt(keymap, keycodeOf(key), active, 1));
        if (!label.isEmpty())
            out.labels.insert(key.usb, label);
    }
    // The letters: the active group first, then the others in order, as desktops look up a
    // Latin shortcut typed on a layout without Latin letters.
    for (xkb_layout_index_t step = 0; step < count; ++step) {
        const xkb_layout_index_t layout = step == 0 ? active : (step <= active ? step - 1 : step);
        for (const auto &key : KeyboardLayouts::printedKeys()) {
            const char32_t c = characterAt(keymap, keycodeOf(key), layout, 0);
            if (c >= U'a' && c <= U'z' && !out.letters.contains(QChar(char16_t(c))))
                out.letters.insert(QChar(char16_t(c)), key.usb);
        }
    }
    return out;
}

KeyboardLayout fromX11(xkb_context *context)
{
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screen);
    KeyboardLayout out;
    if (xcb_connection_has_error(connection) == 0
        && xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
            XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr,
            nullptr, nullptr)) {
        const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
        Keymap keymap(xkb_x11_keymap_new_from_device(
            context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
        if (keymap) {
            std::unique_ptr<xkb_state, StateFree> state(
                xkb_x11_state_new_from_device(keymap.get(), connection, device));
            const xkb_layout_index_t active =
                state ? xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE) : 0;
            out = layoutOf(keymap.get(), active);
        }
    }
    xcb_disconnect(connection);
    return out;
}

// A Wayland seat's keyboard sends its keymap as soon as it is made.
struct SeatReader
{
    wl_seat *seat = nullptr;
    wl_keyboard *keyboard = nullptr;
    uint32_t capabilities = 0;
    std::string keymap;
};

void onGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *reader = static_cast<SeatReader *>(data);
    if (reader->seat == nullptr && std::strcmp(interface, wl_seat_interface.name) == 0)
        reader->seat =
            static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}
void onGlobalRemove(void *, wl_registry *, uint32_t) { }
const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

void onCapabilities(void *data, wl_seat *, uint32_t capabilities)
{
    static_cast<SeatReader *>(data)->capabilities = capabilities;
}
void onSeatName(void *, wl_seat *, const char *) { }
const wl_seat_listener kSeatListener = {onCapabilities, onSeatName};

void onKeymap(void *data, wl_keyboard *, uint32_t format, int32_t fd, uint32_t size)
{
    auto *reader = static_cast<SeatReader *>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void *map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            const char *text = static_cast<const char *>(map);
            reader->keymap.assign(text, strnlen(text, size));
            munmap(map, size);
        }
    }
    close(fd);
}
void onEnter(void *, wl_keyboard *, uint32_t, wl_surface *, wl_array *) { }
void onLeave(void *, wl_keyboard *, uint32_t, wl_surface *) { }
void onKey(void *, wl_keyboard *, uint32_t, uint32_t, uint32_t, uint32_t) { }
void onModifiers(void *, wl_keyboard *, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) { }
void onRepeat(void *, wl_keyboard *, int32_t, int32_t) { }
const wl_keyboard_listener kKeyboardListener = {
    onKeymap, onEnter, onLeave, onKey, onModifiers, onRepeat};

KeyboardLayout fromWayland(xkb_context *context)
{
    wl_display *display = wl_display_connect(nullptr);
    if (display == nullptr)
        return {};
    SeatReader reader;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &reader);
    wl_display_roundtrip(display);
    if (reader.seat != nullptr) {
        wl_seat_add_listener(reader.seat, &kSeatListener, &reader);
        wl_display_roundtrip(display);
        if (reader.capabilities & WL_SEAT_CAPABILITY_KEYBOARD) {
            reader.keyboard = wl_seat_get_keyboard(reader.seat);
            wl_keyboard_add_listener(reader.keyboard, &kKeyboardListener, &reader);
            wl_display_roundtrip(display);
            wl_keyboard_destroy(reader.keyboard);
        }
        wl_seat_destroy(reader.seat);
    }
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (reader.keymap.empty())
        return {};
    Keymap keymap(xkb_keymap_new_from_string(
        context, reader.keymap.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
    return keymap ? layoutOf(keymap.get(), 0) : KeyboardLayout();
}

}  // namespace

namespace KeyboardLayouts {

KeyboardLayout current()
{
    Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context)
        return {};
    // The keymap of the display server the program's windows are on (XWayland's follows the
    // compositor's); none off screen.
    if (DesktopSession::isWaylandClient())
        return fromWayland(context.get());
    return DesktopSession::isX11Client() ? fromX11(context.get()) : KeyboardLayout();
}

}  // namespace KeyboardLayouts
