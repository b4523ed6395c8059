// How many files or list items there are: as wide as a pointer in both builds, like the lists' own
// item counts, so that a count of found files and a count of listed ones compare without conversion.
#pragma once

#include <cstdint>

namespace cleanup {

using Count = std::intptr_t;

} // namespace cleanup
