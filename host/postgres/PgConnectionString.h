#pragma once
// What a PostgreSQL connection string (libpq's "key=value ..." or a postgresql:// URI)
// says, read the way libpq reads it, so that nothing shown to a user holds its password.

#include <string>

namespace zel::host {

/// Whether the string holds a password (a password key, or one in the URI's user part).
/// A string libpq cannot read counts as holding one: nothing tells that it does not.
bool ConnectionStringHasPassword(const std::string& conninfo);

/// The same connection without its password, as "key='value' ..."; raises EDatabaseError
/// (without the string's text) when libpq cannot read it.
std::string ConnectionStringWithoutPassword(const std::string& conninfo);

/// Names the connection in messages: "database 'shop' on '/run/pg' as user 'ann'", with
/// only the parts the string gives; never the password.
std::string DescribeConnection(const std::string& conninfo);

/// `message` with the string's password, and anything following "password=", masked.
std::string MaskPassword(std::string message, const std::string& conninfo);

} // namespace zel::host
