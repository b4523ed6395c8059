// Paths past MAX_PATH, for the listing and the deletion alike: Windows refuses a plain path of
// MAX_PATH units or more unless the program opts in to long paths, which it does not.
#pragma once

#include <string>

namespace cleanup {

// `path` as the file calls take it: unchanged below MAX_PATH units; from there on in the \\?\ form
// (\\?\UNC\ for a network path), which has no such limit but takes the path literally, so it is
// made absolute and normalised first. A path already in that form, or one that cannot be made
// absolute, comes back unchanged.
std::wstring file_call_form(const std::wstring &path);

} // namespace cleanup
