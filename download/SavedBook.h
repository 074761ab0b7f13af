#pragma once

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "download/BookRequest.h"
#include "download/PartFile.h"

struct SavedBook {
    std::filesystem::path file;
    std::string note;  // for the reader; empty when all went as asked
};

// Saving given up on request, before anything was committed.
class SaveStopped : public std::runtime_error {
public:
    SaveStopped() : std::runtime_error("stopped") {}
};

// Converts a complete part into encoding and commits it under the first of
// "<name>.txt", "<name> (2).txt"… that nothing in its folder holds, never
// replacing or writing through what is there. A text that does not decode is
// kept as served, and the note says so. The part and its note are gone afterwards.
// Raises WriteFailure, or SaveStopped once stop is set, leaving the part as it was.
SavedBook SaveBook(PartFile& part, const std::string& name, SavedEncoding encoding, const std::atomic<bool>& stop);

// Moves file under the first free of "<name>.txt", "<name> (2).txt"… in folder,
// each tried exclusively. Raises WriteFailure.
std::filesystem::path CommitUnderFreeName(const std::filesystem::path& file, const std::filesystem::path& folder,
                                          const std::string& name);
