#pragma once
// The host's text setting: which character set the system's 8-bit text is in. It decides
// how text is shown to the world outside (a terminal, JSON, Qt's QString, a database that
// speaks Unicode) and which letters have an upper and a lower case (CaseFold.h).
//
// Windows-1252 (the default) converts every byte: the five bytes that it leaves undefined
// become the Latin-1 characters of the same code, so the conversion back gives the same
// bytes. With UTF-8 the bytes already are the text and pass through unconverted.

#include <optional>
#include <string>
#include <string_view>

namespace zel::host {

enum class TTextEncoding { Windows1252, Utf8 };

TTextEncoding TextEncoding();
/// Chosen once, at start, before any text is converted or compared.
void SetTextEncoding(TTextEncoding encoding);
/// "windows-1252" or "utf-8" (letter case ignored, also "cp1252" and "utf8").
std::optional<TTextEncoding> TextEncodingNamed(std::string_view name);
const char* TextEncodingName(TTextEncoding encoding);

/// The system's text as UTF-8, by the current setting. Under UTF-8, a byte sequence that is
/// not valid UTF-8 is shown as U+FFFD, so the result is always valid UTF-8.
std::string ToUtf8(std::string_view bytes);
/// UTF-8 as the system's text, or nullopt when it is not valid UTF-8 or holds a character
/// the current set does not have.
std::optional<std::string> FromUtf8(std::string_view utf8);

/// The conversions of the Windows-1252 setting, whatever the current one.
std::string Windows1252ToUtf8(std::string_view bytes);
std::optional<std::string> Utf8ToWindows1252(std::string_view utf8);

/// Whether `bytes` is well-formed UTF-8 (no overlong forms, surrogates or code points past
/// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

} // namespace zel::host
