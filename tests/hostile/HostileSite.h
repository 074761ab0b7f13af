#pragma once

// A test against a HostileServer, with the program's shared state reset around it
// and no proxy from the environment.

#include <gtest/gtest.h>

#include "tests/hostile/HostileServer.h"
#include "tests/hostile/Misbehaviours.h"

class HostileSite : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HostileServer server{Serves("")};
};
