// Paths past MAX_PATH, for the listing and the deletion alike: Windows refuses a plain path whose
// absolute form has MAX_PATH units or more unless the program opts in to long paths, which it does not.
#pragma once

#include <string>

namespace cleanup {

// `path` as the file calls take it. The length that counts is that of the absolute form, so a short
// relative or drive-relative path can be too long as well. Below MAX_PATH units the path comes back
// unchanged; from there on it comes back absolute and normalised in the \\?\ form (\\?\UNC\ for a
// network path), which has no such limit but takes the path literally: slashes, "." and ".." are
// resolved first, and trailing dots and blanks are dropped, just as the plain call drops them. A
// device (\\.\) or extended (\\?\) path keeps its own form, and a path that cannot be made absolute
// comes back unchanged.
std::wstring file_call_form(const std::wstring &path);

} // namespace cleanup
