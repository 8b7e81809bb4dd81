#pragma once
// A test with the served module installed and its engine serving on port 8190 throughout;
// the engine is stopped through its exit page afterwards.

#include <gtest/gtest.h>

#include "integration/running_engine.h"
#include "integration/served_module.h"

namespace integration {

class ServedEngineTest : public ::testing::Test {
protected:
    ServedEngineTest() : install(TargetUnderTest()), engine(install) {}

    void SetUp() override {
        InstallServedModule(install);
        ASSERT_TRUE(engine.Start()) << "the engine did not serve";
    }

    void TearDown() override {
        ChildResult end = engine.Stop("Exit.html");
        EXPECT_FALSE(end.timedOut) << "the engine did not stop on its exit page";
        EXPECT_EQ(end.exitCode, 0);
    }

    Installation install;
    RunningEngine engine;
};

}  // namespace integration
