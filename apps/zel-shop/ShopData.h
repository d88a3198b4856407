#pragma once
// Where the shop keeps its data: the example user database and the form files of its
// windows (orders, administration), which name the database relative to themselves.

#include <string>

namespace zel::shop {

/// The folder `dir`, or the user's data folder for the shop when `dir` is empty.
std::string DataFolder(const std::string& dir);

/// Makes the example database in `folder` when it is missing (mode 0600) and returns its
/// path; `created` tells whether it was made now.
std::string EnsureDatabase(const std::string& folder, bool& created);

/// The text of one of the example's form files ("orders", "admin").
const std::string& FormText(const std::string& name);

} // namespace zel::shop
