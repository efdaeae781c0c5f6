#pragma once
// The listeners through which the compositor's events reach CWaylandDesktop.

#include <wayland-client.h>

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

struct WaylandListeners {
    static const wl_registry_listener& Registry();
    static const wl_output_listener& Output();
    static const zwlr_foreign_toplevel_manager_v1_listener& Toplevels();
    static const zwlr_foreign_toplevel_handle_v1_listener& Toplevel();
};
