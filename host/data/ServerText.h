#pragma once
// The one place where the host's 8-bit text meets the text of a database that speaks
// Unicode (PostgreSQL's connections in UTF8, Qt SQL's QString). Each value is converted
// here, by the host's text setting, so a value that the setting cannot hold belongs to its
// own record only: under Windows-1252 a name like "Łukasz" is read as foreign text
// (TVariant::Foreign), never an error of the whole statement that would stop every other
// user.
//
// Under Windows-1252 the conversion is PostgreSQL's own WIN1252 one: the five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) have no character either
// way, so what an older client on WIN1252 reads stays readable to it. Under UTF-8 the bytes
// already are the server's text.

#include <optional>
#include <string>
#include <string_view>

namespace zel::host::server {

/// The host's text as the server's; raises EDatabaseError naming the first byte that has
/// no character (the server would refuse it) and `what` failed.
std::string ToServer(std::string_view text, const std::string& what);
/// The server's text as the host's, or nullopt when it holds a character the host's text
/// setting does not have.
std::optional<std::string> FromServer(std::string_view text);
/// The server's text as the host's, each character the host cannot hold escaped as \uXXXX
/// (\UXXXXXXXX past U+FFFF): for showing, and for messages.
std::string Escaped(std::string_view text);

} // namespace zel::host::server
