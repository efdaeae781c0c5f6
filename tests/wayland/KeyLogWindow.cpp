// A small native Wayland window for the tests: it shows a white surface
// with the title and application id given, and appends every key it
// receives to a log file, decoded by its own keymap state: the character
// typed, "<C-x>" for a key pressed with Ctrl, "<Name>" for keys without a
// character, "<click BUTTON X,Y>" for a mouse button pressed at a position
// of the window. It ends when the compositor asks it to close.
//
// keylog_window TITLE APP_ID LOG
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "xdg-shell-client-protocol.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Window {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    xdg_wm_base* shell = nullptr;
    wl_seat* seat = nullptr;
    wl_keyboard* keyboard = nullptr;
    wl_pointer* pointer = nullptr;
    int pointerX = 0, pointerY = 0;
    wl_surface* surface = nullptr;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
    int log = -1;
    bool closed = false;
};

void Log(Window& window, const std::string& text) {
    if (!text.empty() && write(window.log, text.data(), text.size()) < 0)
        std::perror("keylog_window: log");
}

void Draw(Window& window, int width, int height) {
    const int stride = width * 4, size = stride * height;
    const int fd = memfd_create("keylog", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) < 0)
        return;
    void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    std::memset(pixels, 0xff, size);
    munmap(pixels, size);
    wl_shm_pool* pool = wl_shm_create_pool(window.shm, fd, size);
    wl_buffer* buffer =
        wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_surface_attach(window.surface, buffer, 0, 0);
    wl_surface_damage(window.surface, 0, 0, width, height);
    wl_surface_commit(window.surface);
}

const wl_keyboard_listener kKeyboard{
    [](void* data, wl_keyboard*, uint32_t, int32_t fd, uint32_t size) {
        auto& window = *static_cast<Window*>(data);
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        close(fd);
        if (text == MAP_FAILED)
            return;
        if (window.state)
            xkb_state_unref(window.state);
        if (window.keymap)
            xkb_keymap_unref(window.keymap);
        window.keymap =
            xkb_keymap_new_from_string(window.context, static_cast<char*>(text),
                                       XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
        munmap(text, size);
        window.state = window.keymap ? xkb_state_new(window.keymap) : nullptr;
    },
    [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {},
    [](void*, wl_keyboard*, uint32_t, wl_surface*) {},
    [](void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t pressed) {
        auto& window = *static_cast<Window*>(data);
        if (!window.state || pressed != WL_KEYBOARD_KEY_STATE_PRESSED)
            return;
        const xkb_keycode_t keycode = key + 8;
        const xkb_keysym_t keysym = xkb_state_key_get_one_sym(window.state, keycode);
        char name[64] = {};
        xkb_keysym_get_name(keysym, name, sizeof name);
        if (xkb_state_mod_name_is_active(window.state, XKB_MOD_NAME_CTRL,
                                         XKB_STATE_MODS_EFFECTIVE) > 0) {
            Log(window, std::string("<C-") + name + ">");
            return;
        }
        char text[16] = {};
        xkb_state_key_get_utf8(window.state, keycode, text, sizeof text);
        if (text[0])
            Log(window, text);
        else if (keysym < XKB_KEY_Shift_L || keysym > XKB_KEY_Hyper_R) // not a modifier
            Log(window, std::string("<") + name + ">");
    },
    [](void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked,
       uint32_t group) {
        auto& window = *static_cast<Window*>(data);
        if (window.state)
            xkb_state_update_mask(window.state, depressed, latched, locked, 0, 0, group);
    },
    [](void*, wl_keyboard*, int32_t, int32_t) {},
};

const wl_pointer_listener kPointer{
    [](void* data, wl_pointer*, uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
        auto& window = *static_cast<Window*>(data);
        window.pointerX = wl_fixed_to_int(x);
        window.pointerY = wl_fixed_to_int(y);
    },
    [](void*, wl_pointer*, uint32_t, wl_surface*) {},
    [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        auto& window = *static_cast<Window*>(data);
        window.pointerX = wl_fixed_to_int(x);
        window.pointerY = wl_fixed_to_int(y);
    },
    [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t pressed) {
        auto& window = *static_cast<Window*>(data);
        if (pressed == WL_POINTER_BUTTON_STATE_PRESSED)
            Log(window, "<click " + std::to_string(button) + " " + std::to_string(window.pointerX) +
                            "," + std::to_string(window.pointerY) + ">");
    },
    [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
};

const wl_seat_listener kSeat{
    [](void* data, wl_seat* seat, uint32_t capabilities) {
        auto& window = *static_cast<Window*>(data);
        if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !window.keyboard) {
            window.keyboard = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(window.keyboard, &kKeyboard, &window);
        }
        if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !window.pointer) {
            window.pointer = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(window.pointer, &kPointer, &window);
        }
    },
    [](void*, wl_seat*, const char*) {},
};

const xdg_wm_base_listener kShell{
    [](void*, xdg_wm_base* shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); },
};

const wl_registry_listener kRegistry{
    [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
        auto& window = *static_cast<Window*>(data);
        const std::string offered = interface;
        if (offered == wl_compositor_interface.name)
            window.compositor = static_cast<wl_compositor*>(
                wl_registry_bind(registry, name, &wl_compositor_interface, 4));
        else if (offered == wl_shm_interface.name)
            window.shm =
                static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        else if (offered == xdg_wm_base_interface.name) {
            window.shell = static_cast<xdg_wm_base*>(
                wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
            xdg_wm_base_add_listener(window.shell, &kShell, &window);
        } else if (offered == wl_seat_interface.name && !window.seat) {
            window.seat =
                static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 5));
            wl_seat_add_listener(window.seat, &kSeat, &window);
        }
    },
    [](void*, wl_registry*, uint32_t) {},
};

struct Size {
    Window* window;
    int width = 320, height = 200;
};

const xdg_toplevel_listener kToplevel{
    [](void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
        auto& size = *static_cast<Size*>(data);
        if (width > 0 && height > 0) {
            size.width = width;
            size.height = height;
        }
    },
    [](void* data, xdg_toplevel*) { static_cast<Size*>(data)->window->closed = true; },
    [](void*, xdg_toplevel*, int32_t, int32_t) {},
    [](void*, xdg_toplevel*, wl_array*) {},
};

const xdg_surface_listener kSurface{
    [](void* data, xdg_surface* surface, uint32_t serial) {
        auto& size = *static_cast<Size*>(data);
        xdg_surface_ack_configure(surface, serial);
        Draw(*size.window, size.width, size.height);
    },
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: keylog_window TITLE APP_ID LOG\n");
        return 2;
    }
    Window window;
    window.log = open(argv[3], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    wl_display* display = wl_display_connect(nullptr);
    if (!display || window.log < 0) {
        std::fprintf(stderr, "keylog_window: no compositor or no log file\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistry, &window);
    wl_display_roundtrip(display);
    if (!window.compositor || !window.shm || !window.shell) {
        std::fprintf(stderr, "keylog_window: the compositor lacks xdg_shell or wl_shm\n");
        return 1;
    }
    window.surface = wl_compositor_create_surface(window.compositor);
    xdg_surface* surface = xdg_wm_base_get_xdg_surface(window.shell, window.surface);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(surface);
    Size size{&window};
    xdg_surface_add_listener(surface, &kSurface, &size);
    xdg_toplevel_add_listener(toplevel, &kToplevel, &size);
    xdg_toplevel_set_title(toplevel, argv[1]);
    xdg_toplevel_set_app_id(toplevel, argv[2]);
    wl_surface_commit(window.surface);
    while (!window.closed && wl_display_dispatch(display) >= 0) {
    }
    wl_display_disconnect(display);
    return 0;
}
