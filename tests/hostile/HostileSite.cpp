#include "tests/hostile/HostileSite.h"

#include <cstdlib>

#include "tests/support/CatalogueFixture.h"

namespace {

void ClearProxies()
{
    for (const char* name : {"http_proxy", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        unsetenv(name);
}

}  // namespace

void HostileSite::SetUp()
{
    ResetSharedState();
    ClearProxies();
}

void HostileSite::TearDown()
{
    ClearProxies();
    ResetSharedState();
}
