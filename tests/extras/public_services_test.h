#pragma once
// A test against the stand-in public services: their routes registered, the
// server started and every service the program asks pointed at it.
#include <gtest/gtest.h>

#include <memory>

#include "tests/fixtures/public_services_fixture.h"
#include "tests/fixtures/stand_in_server.h"

class PublicServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddPublicServiceRoutes(server_, services_);
    ASSERT_TRUE(server_.Start());
    PointServicesAt(server_.BaseUrl());
  }

  // Declared first, so that the server stops before its answers go.
  std::shared_ptr<PublicServicesFixture> services_ = std::make_shared<PublicServicesFixture>();
  StandInServer server_;
};
