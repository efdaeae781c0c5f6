#pragma once
// Fixtures for suites that share one Xvfb, started before the suite's first
// test and stopped after its last.

#include "XvfbServer.h"

#include <gtest/gtest.h>

class XvfbSuiteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

    static CXvfb* server;
};

// Also gives each test its own connection to the suite's server; skipped
// when Xvfb is missing.
class XvfbClientTest : public XvfbSuiteTest {
protected:
    void SetUp() override;
    void TearDown() override;

    _XDisplay* client = nullptr;
};
