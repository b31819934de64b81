/* A pointer device for a headless wlroots compositor, which has none: reads commands from its
 * arguments and sends them through the virtual-pointer interface of the compositor's seat.
 *
 *   virtual_pointer WIDTH HEIGHT COMMAND...
 *
 * WIDTH x HEIGHT is the extent of the output layout; commands are
 *   move X Y            the pointer goes to the layout position X, Y
 *   press / release     the left button
 *   drag X Y STEPS      moves in STEPS even steps from where it is to X, Y
 *   wait MS             pauses (lets the clients see what came before)
 * With the single command "-" it reads commands from standard input instead, one per line, and
 * answers each with "ok" (or "error") on standard output once the compositor has it, so that a
 * script can look at the compositor between two commands while the button stays held.
 * Exits 0 once every command has reached the compositor, 1 with a line on stderr otherwise. */
#include "virtual-pointer-client.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

enum { kLeftButton = 0x110 /* BTN_LEFT */ };

struct pointer_state
{
    struct wl_seat *seat;
    struct zwlr_virtual_pointer_manager_v1 *manager;
    struct zwlr_virtual_pointer_v1 *pointer;
    unsigned width, height;
    unsigned x, y;
};

static void on_global(void *data, struct wl_registry *registry, uint32_t name,
    const char *interface, uint32_t version)
{
    struct pointer_state *state = data;
    (void)version;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !state->seat)
        state->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        state->manager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
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

static void move_to(struct pointer_state *state, unsigned x, unsigned y)
{
    state->x = x < state->width ? x : state->width - 1;
    state->y = y < state->height ? y : state->height - 1;
    zwlr_virtual_pointer_v1_motion_absolute(
        state->pointer, now_ms(), state->x, state->y, state->width, state->height);
    zwlr_virtual_pointer_v1_frame(state->pointer);
}

static void button(struct pointer_state *state, int pressed)
{
    zwlr_virtual_pointer_v1_button(state->pointer, now_ms(), kLeftButton,
        pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(state->pointer);
}

/* Runs the command at argv[0]; returns how many arguments it took, 0 when it is not one. */
static int run_command(
    struct wl_display *display, struct pointer_state *state, int argc, char **argv)
{
    const char *name = argv[0];
    int used = 0;
    if (strcmp(name, "move") == 0 && argc >= 3) {
        move_to(state, (unsigned)atoi(argv[1]), (unsigned)atoi(argv[2]));
        used = 3;
    } else if (strcmp(name, "press") == 0 || strcmp(name, "release") == 0) {
        button(state, name[0] == 'p');
        used = 1;
    } else if (strcmp(name, "drag") == 0 && argc >= 4) {
        int x0 = (int)state->x, y0 = (int)state->y;
        int x1 = atoi(argv[1]), y1 = atoi(argv[2]), steps = atoi(argv[3]);
        for (int i = 1; i <= steps && steps > 0; ++i) {
            move_to(state, (unsigned)(x0 + (x1 - x0) * i / steps),
                (unsigned)(y0 + (y1 - y0) * i / steps));
            wl_display_roundtrip(display);
            sleep_ms(15);
        }
        used = steps > 0 ? 4 : 0;
    } else if (strcmp(name, "wait") == 0 && argc >= 2) {
        wl_display_roundtrip(display);
        sleep_ms(atol(argv[1]));
        used = 2;
    }
    if (used)
        wl_display_roundtrip(display);
    return used;
}

/* Commands from standard input, one per line; each answered on standard output. */
static int run_lines(struct wl_display *display, struct pointer_state *state)
{
    char line[256];
    setvbuf(stdout, NULL, _IOLBF, 0);
    while (fgets(line, sizeof line, stdin)) {
        char *words[8];
        int count = 0;
        for (char *word = strtok(line, " \t\n"); word && count < 8; word = strtok(NULL, " \t\n"))
            words[count++] = word;
        if (count == 0)
            continue;
        const int used = run_command(display, state, count, words);
        printf("%s\n", used == count ? "ok" : "error");
    }
    zwlr_virtual_pointer_v1_destroy(state->pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s WIDTH HEIGHT COMMAND...\n", argv[0]);
        return 1;
    }
    struct pointer_state state = {0};
    state.width = (unsigned)atoi(argv[1]);
    state.height = (unsigned)atoi(argv[2]);
    struct wl_display *display = wl_display_connect(NULL);
    if (!display || state.width == 0 || state.height == 0) {
        fprintf(stderr, "virtual_pointer: no Wayland display or no extent\n");
        return 1;
    }
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &state);
    wl_display_roundtrip(display);
    if (!state.manager || !state.seat) {
        fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointer\n");
        return 1;
    }
    state.pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(state.manager, state.seat);
    wl_display_roundtrip(display);
    if (argc == 4 && strcmp(argv[3], "-") == 0)
        return run_lines(display, &state);
    for (int i = 3; i < argc;) {
        int used = run_command(display, &state, argc - i, argv + i);
        if (!used) {
            fprintf(stderr, "virtual_pointer: cannot run '%s'\n", argv[i]);
            return 1;
        }
        i += used;
    }
    zwlr_virtual_pointer_v1_destroy(state.pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
