#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "download/BookRequest.h"

// The books an address on the command line stands for: every book of a listing
// page, cut as the window cuts it and named by its link; else the address itself,
// one book that the engine names from its page or its path. Raises ProbeError
// when the address cannot be read, and for a listing without books.
std::vector<BookRequest> BooksAt(const std::string& address, const CommandLine& line, const std::atomic<bool>& stop);
