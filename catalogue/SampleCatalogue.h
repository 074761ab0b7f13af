#pragma once

#include <string>

#include "catalogue/LoopbackServer.h"

// The catalogue the program browses out of the box: a few listing pages for each
// of the eleven categories, GBK, with the markers and page total of the real site,
// book titles of our own and the site's not-found page for any other address.
CannedResponse SampleCataloguePage(const std::string& address);

// How many listing pages category row (1 to 11) has.
int SamplePageCount(int row);
