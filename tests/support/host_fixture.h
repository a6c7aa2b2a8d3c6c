// A test fixture that installs a fresh host engine for each test and checks,
// after the test, that the driver gave back every pool block it took.
#pragma once

#include <gtest/gtest.h>

#include "host/engine/host_engine.h"
#include "host/engine/pool_allocator.h"

class HostEngineTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const auto& [tag, usage] : engine.pool().OutstandingByTag()) {
      ADD_FAILURE() << "pool tag " << TagName(tag) << " still holds " << usage.blocks << " blocks, "
                    << usage.bytes << " bytes";
    }
  }

  HostEngine engine;
  ScopedHostEngine installed{engine};
};
