#pragma once
// The system's text is 8-bit Windows-1252; the terminal and JSON speak UTF-8. Every byte
// converts: the five bytes that Windows-1252 leaves undefined become the Latin-1
// characters of the same code, so the conversion back gives the same bytes.

#include <optional>
#include <string>
#include <string_view>

namespace zel::cli {

/// Windows-1252 bytes as UTF-8.
std::string ToUtf8(std::string_view bytes);

/// UTF-8 text as Windows-1252 bytes, or nullopt when it is not valid UTF-8 or holds a
/// character the 8-bit set does not have.
std::optional<std::string> FromUtf8(std::string_view utf8);

} // namespace zel::cli
