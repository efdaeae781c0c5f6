#include "wayland/WaylandListeners.h"

#include "wayland/WaylandDesktop.h"

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t offered,
        uint32_t wanted) {
    return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

} // namespace

const wl_registry_listener& WaylandListeners::Registry() {
    static const wl_registry_listener listener{
        [](void* data, wl_registry* registry, uint32_t name, const char* interface,
           uint32_t version) {
            auto* desktop = static_cast<CWaylandDesktop*>(data);
            CWaylandDesktop::Globals& globals = desktop->globals;
            const std::string_view offered(interface);
            if (offered == wl_seat_interface.name && !globals.seat) {
                globals.seat = Bind<wl_seat>(registry, name, &wl_seat_interface, version, 1);
            } else if (offered == zwp_virtual_keyboard_manager_v1_interface.name) {
                globals.keyboards = Bind<zwp_virtual_keyboard_manager_v1>(
                    registry, name, &zwp_virtual_keyboard_manager_v1_interface, version, 1);
            } else if (offered == zwlr_virtual_pointer_manager_v1_interface.name) {
                globals.pointers = Bind<zwlr_virtual_pointer_manager_v1>(
                    registry, name, &zwlr_virtual_pointer_manager_v1_interface, version, 1);
            } else if (offered == zwlr_foreign_toplevel_manager_v1_interface.name) {
                globals.toplevels = Bind<zwlr_foreign_toplevel_manager_v1>(
                    registry, name, &zwlr_foreign_toplevel_manager_v1_interface, version, 2);
                zwlr_foreign_toplevel_manager_v1_add_listener(globals.toplevels, &Toplevels(),
                                                              desktop);
            } else if (offered == wl_output_interface.name) {
                auto output = std::make_unique<CWaylandDesktop::Output>();
                output->output = Bind<wl_output>(registry, name, &wl_output_interface, version, 2);
                wl_output_add_listener(output->output, &Output(), output.get());
                globals.outputs.push_back(std::move(output));
            }
        },
        [](void*, wl_registry*, uint32_t) {}};
    return listener;
}

const wl_output_listener& WaylandListeners::Output() {
    static const wl_output_listener listener{
        [](void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*,
           const char*, int32_t) {
            auto* output = static_cast<CWaylandDesktop::Output*>(data);
            output->x = x;
            output->y = y;
        },
        [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
            if (!(flags & WL_OUTPUT_MODE_CURRENT))
                return;
            auto* output = static_cast<CWaylandDesktop::Output*>(data);
            output->width = width;
            output->height = height;
        },
        [](void*, wl_output*) {},
        [](void*, wl_output*, int32_t) {},
        [](void*, wl_output*, const char*) {},
        [](void*, wl_output*, const char*) {}};
    return listener;
}

const zwlr_foreign_toplevel_manager_v1_listener& WaylandListeners::Toplevels() {
    static const zwlr_foreign_toplevel_manager_v1_listener listener{
        [](void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
            auto* desktop = static_cast<CWaylandDesktop*>(data);
            auto window = std::make_unique<CWaylandDesktop::Toplevel>();
            window->handle = handle;
            zwlr_foreign_toplevel_handle_v1_add_listener(handle, &Toplevel(), window.get());
            desktop->windows.push_back(std::move(window));
        },
        [](void* data, zwlr_foreign_toplevel_manager_v1* manager) {
            auto* desktop = static_cast<CWaylandDesktop*>(data);
            zwlr_foreign_toplevel_manager_v1_destroy(manager);
            desktop->globals.toplevels = nullptr;
        }};
    return listener;
}

const zwlr_foreign_toplevel_handle_v1_listener& WaylandListeners::Toplevel() {
    using Window = CWaylandDesktop::Toplevel;
    static const zwlr_foreign_toplevel_handle_v1_listener listener{
        [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
            static_cast<Window*>(data)->pendingTitle = title ? title : "";
        },
        [](void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
            static_cast<Window*>(data)->pendingAppId = appId ? appId : "";
        },
        [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
            auto* window = static_cast<Window*>(data);
            window->pendingActivated = window->pendingMinimized = window->pendingMaximized = false;
            const auto* state = static_cast<const uint32_t*>(states->data);
            for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
                window->pendingActivated |=
                    state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
                window->pendingMinimized |=
                    state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED;
                window->pendingMaximized |=
                    state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MAXIMIZED;
            }
        },
        [](void* data, zwlr_foreign_toplevel_handle_v1*) {
            auto* window = static_cast<Window*>(data);
            window->title = window->pendingTitle;
            window->appId = window->pendingAppId;
            window->activated = window->pendingActivated;
            window->minimized = window->pendingMinimized;
            window->maximized = window->pendingMaximized;
        },
        [](void* data, zwlr_foreign_toplevel_handle_v1*) {
            static_cast<Window*>(data)->closed = true;
        }};
    return listener;
}
