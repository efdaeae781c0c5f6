#pragma once
// A fixture with its own Xvfb, a plain connection to it and the X11 desktop
// port on it. Include after every project and GoogleTest header (X11 macros).

#include "XvfbServer.h"
#include "x11/X11Desktop.h"

#include <memory>
#include <string>

#include <X11/Xlib.h>

namespace {

class CDesktopOnXvfbTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_XVFB(server);
        client = XOpenDisplay(server.Name().c_str());
        ASSERT_NE(client, nullptr);
        std::string why;
        desktop = CX11Desktop::Open(&why, {}, server.Name());
        ASSERT_NE(desktop, nullptr) << why;
    }
    void TearDown() override {
        desktop.reset();
        if (client)
            XCloseDisplay(client);
    }

    CXvfb server;
    Display* client = nullptr;
    std::unique_ptr<CX11Desktop> desktop;
};

} // namespace
