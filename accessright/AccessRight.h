#pragma once
// The access-right string: how a user's granted right names are kept in one text field.
// Layout: one terminator byte 0xFF, then every name followed by one terminator. There is
// no count, length or escape: a name that itself holds 0xFF splits in two when read.

#include "zel/host/text/StringList.h"

#include <functional>
#include <string>
#include <string_view>

namespace zel::accessright {

inline constexpr char kRightTerminator = '\xFF';

/// The access-right string of `granted`, in list order, duplicates as they are.
std::string Write(const host::TStringList& granted);

/// Hands every token of `text` to `emit`, left to right: each terminator ends one token
/// (possibly empty); characters after the last terminator are dropped.
void Read(std::string_view text, const std::function<void(const std::string& token)>& emit);

} // namespace zel::accessright
