#pragma once

// A loopback catalogue that the compiled-in site address is routed to through the
// http_proxy environment variable, with the program's shared state reset around
// each test.

#include <gtest/gtest.h>

#include <string>

#include "catalogue/LoopbackServer.h"

// The navigation state, status line and its observer as at the program's start.
void ResetSharedState();

class CatalogueFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Points the proxy at a port where nothing listens, so every fetch fails.
    void BreakTheProxy();
    // The proxy routing back to server.
    void MendTheProxy();

    LoopbackServer server;
};

// A listing page as the site writes it, GBK: the page total, a list naming the
// address it was served for, and the pager.
std::string ListingPageFor(const std::string& address, int total = 5);
// The fragment LoadListingPage cuts out of ListingPageFor(address).
std::string FragmentFor(const std::string& address);
