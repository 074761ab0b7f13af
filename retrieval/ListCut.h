#pragma once

// The listing cut's work on the page text itself. Replacing "blank" by "11111"
// moves no byte and no marker can overlap either word, so every marker is found in
// the page as fetched and only the parts shown need the replacement.

#include <cstddef>
#include <string>
#include <vector>

// Bytes from..to of page as they read once every "blank" of the whole page that
// starts a character has become "11111"; a word across either edge is replaced in
// the part inside.
std::string ReplacedSpan(const std::string& page, std::size_t from, std::size_t to);

// Cuts page down, in one pass and in place, to its list: the bytes from `from` on,
// up to but not including the byte before the first list-end marker at or after
// from (to the end when there is none, or when it stands right at from), replaced as
// ReplacedSpan does. Returns whether the not-found wording lies wholly inside.
bool CutListInPlace(std::string& page, std::size_t from);

// Every way of doing CutListInPlace that this processor can run, the one it uses
// first: they differ only in how many bytes they look at at once.
using ListCutter = bool (*)(std::string& page, std::size_t from);
const std::vector<ListCutter>& ListCutters();
