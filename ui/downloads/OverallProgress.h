#pragma once

#include <vector>

#include "download/DownloadStatus.h"

// The progress of a group of downloads, 0 to 100, in bytes where sizes are known:
// a book whose size is not known yet weighs as much as the known ones do on
// average, and a book that has ended (saved or not) counts as done. While any book
// is waiting or running the figure stays below 100.
int OverallPercent(const std::vector<DownloadStatus>& downloads);
