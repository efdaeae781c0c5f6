#include "XvfbSuite.h"

#include <X11/Xlib.h>

CXvfb* XvfbSuiteTest::server = nullptr;

void XvfbSuiteTest::SetUpTestSuite() {
    server = new CXvfb();
}

void XvfbSuiteTest::TearDownTestSuite() {
    delete server;
    server = nullptr;
}

void XvfbClientTest::SetUp() {
    REQUIRE_XVFB(*server);
    client = XOpenDisplay(server->Name().c_str());
    ASSERT_NE(client, nullptr);
}

void XvfbClientTest::TearDown() {
    if (client)
        XCloseDisplay(client);
}
