/* A keyboard for a headless wlroots compositor, which has none: presses and releases keys by
 * their Linux input codes through the virtual-keyboard interface, with the standard US keymap
 * (so that clients see the key codes a real keyboard would send; wtype makes a keymap of its
 * own, whose codes are not a keyboard's).
 *
 *   virtual_keyboard CODE...      each CODE (decimal, e.g. 16 for Q) pressed, then released;
 *                                 "wait:MS" pauses
 * Exits 0 once every key has reached the compositor, 1 with a line on stderr otherwise. */
#define _GNU_SOURCE
#include "virtual-keyboard-client.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

struct keyboard_state
{
    struct wl_seat *seat;
    struct zwp_virtual_keyboard_manager_v1 *manager;
};

static void on_global(void *data, struct wl_registry *registry, uint32_t name,
    const char *interface, uint32_t version)
{
    struct keyboard_state *state = data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !state->seat)
        state->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        state->manager =
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
}

static void on_global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {on_global, on_global_remove};

static uint32_t now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

static void sleep_ms(long ms)
{
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&ts, NULL);
}

/* The standard keymap as text in a sealed memory file; -1 when it cannot be made. */
static int keymap_file(uint32_t *size)
{
    struct xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    struct xkb_rule_names names = {"evdev", "pc105", "us", "", ""};
    struct xkb_keymap *keymap =
        context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : NULL;
    char *text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : NULL;
    int fd = text ? memfd_create("keymap", MFD_CLOEXEC) : -1;
    if (fd >= 0) {
        *size = (uint32_t)strlen(text) + 1;
        if (write(fd, text, *size) != (ssize_t)*size) {
            close(fd);
            fd = -1;
        }
    }
    free(text);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
    return fd;
}

int main(int argc, char **argv)
{
    struct keyboard_state state = {0};
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "virtual_keyboard: no Wayland display\n");
        return 1;
    }
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &state);
    wl_display_roundtrip(display);
    uint32_t size = 0;
    int fd = keymap_file(&size);
    if (!state.manager || !state.seat || fd < 0) {
        fprintf(stderr, "virtual_keyboard: no virtual keyboard or no keymap\n");
        return 1;
    }
    struct zwp_virtual_keyboard_v1 *keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(state.manager, state.seat);
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, size);
    close(fd);
    wl_display_roundtrip(display);
    sleep_ms(100); /* clients learn the new keymap before the first key */
    for (int i = 1; i < argc; ++i) {
        if (strncmp(argv[i], "wait:", 5) == 0) {
            sleep_ms(atol(argv[i] + 5));
            continue;
        }
        char *end = NULL;
        long code = strtol(argv[i], &end, 10);
        if (!end || *end || code <= 0) {
            fprintf(stderr, "virtual_keyboard: not a key code: '%s'\n", argv[i]);
            return 1;
        }
        zwp_virtual_keyboard_v1_key(
            keyboard, now_ms(), (uint32_t)code, WL_KEYBOARD_KEY_STATE_PRESSED);
        wl_display_roundtrip(display);
        sleep_ms(30);
        zwp_virtual_keyboard_v1_key(
            keyboard, now_ms(), (uint32_t)code, WL_KEYBOARD_KEY_STATE_RELEASED);
        wl_display_roundtrip(display);
        sleep_ms(30);
    }
    zwp_virtual_keyboard_v1_destroy(keyboard);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
