#pragma once
// The quoting of SQL identifiers that every database of the host shares.

#include <string>

namespace zel::host {

/// Quotes `name` as an SQL identifier ("a""b"), so that any name is safe in a statement.
std::string QuoteIdentifier(const std::string& name);

} // namespace zel::host
