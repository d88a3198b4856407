#pragma once
// Letter case in the system's character set, by the host's text setting (TextEncoding.h):
// under Windows-1252, ASCII letters and the accented and other letters that have an upper
// and a lower form in that set; under UTF-8, ASCII letters only, so that no byte of a
// multi-byte character is ever changed.

#include <cstddef>
#include <string>
#include <string_view>

namespace zel::host {

/// The lower-case form of a byte; bytes that are not letters map to themselves.
unsigned char FoldCase(unsigned char c);

/// `text` with every byte folded.
std::string FoldCase(std::string_view text);

/// True when `a` and `b` are equal once letter case is ignored.
bool SameText(std::string_view a, std::string_view b);

/// Hash and equality for unordered containers of text compared as SameText compares: texts
/// that are SameText hash alike. Both take any string-like key, so a look-up by a
/// string_view copies and folds nothing.
struct TFoldedHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const;
};
struct TFoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return SameText(a, b); }
};

} // namespace zel::host
