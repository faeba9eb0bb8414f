// The main form's list of input files, as plain data.
#pragma once

#include <string>
#include <vector>

namespace kzo {

// Appends every chosen path, in the given order, that is not yet in the list.
// Paths compare exactly and case-sensitively, so a path chosen twice in one
// call is listed once, and C:\A\X.LWS is not C:\a\x.lws. Returns the paths
// that were appended.
std::vector<std::string> appendNewPaths(std::vector<std::string>& list,
                                        const std::vector<std::string>& chosen);

// Removes the entries whose selected flag is set; the others keep their order.
// Flags beyond the list are ignored, missing flags count as not selected.
void removeSelected(std::vector<std::string>& list, const std::vector<bool>& selected);

} // namespace kzo
