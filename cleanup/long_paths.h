// Paths past MAX_PATH, for the listing and the deletion alike: Windows refuses a plain path whose
// absolute form has MAX_PATH units or more unless the program opts in to long paths, which it does not.
#pragma once

#include <string>

namespace cleanup {

// The form of `path` that file calls accept: unchanged while its absolute form is shorter than
// MAX_PATH units; else that absolute form, normalised as a plain call would, behind \\?\ (\\?\UNC\ for
// a network path). Device (\\.\) and extended (\\?\) paths, and those with no absolute form, come back
// unchanged.
std::wstring path_file_calls_accept(const std::wstring &path);

} // namespace cleanup
