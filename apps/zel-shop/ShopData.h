#pragma once
// Where the shop keeps its data: the example user database.

#include <string>

namespace zel::shop {

/// The folder `dir`, or the user's data folder for the shop when `dir` is empty.
std::string DataFolder(const std::string& dir);

/// Makes the example database in `folder` when it is missing (mode 0600) and returns its
/// path; `created` tells whether it was made now.
std::string EnsureDatabase(const std::string& folder, bool& created);

} // namespace zel::shop
