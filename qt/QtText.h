#pragma once
// The one place where the system's 8-bit text meets QString, by the host's text setting
// (Windows-1252 by default, UTF-8 when chosen).

#include <QString>
#include <string>

namespace zel::qt {

QString ToQString(const std::string& bytes);
/// The text in the system's character set; a character that the set does not have becomes
/// '?', since Qt text can hold any character and the model cannot.
std::string FromQString(const QString& text);

} // namespace zel::qt
