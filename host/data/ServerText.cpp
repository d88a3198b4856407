#include "zel/host/data/ServerText.h"

#include "zel/host/core/Errors.h"
#include "zel/host/core/TextEncoding.h"

#include <algorithm>
#include <cstdio>

namespace zel::host::server {

namespace {
bool Undefined(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

bool Windows1252() {
    return TextEncoding() == TTextEncoding::Windows1252;
}

// Length of the UTF-8 sequence that `lead` starts (1 for a byte that starts none, which the
// conversion then refuses).
std::size_t SequenceLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

bool HasUndefined(std::string_view text) {
    for (char c : text) {
        if (Undefined(static_cast<unsigned char>(c))) {
            return true;
        }
    }
    return false;
}

// The host's text of `utf8` under Windows-1252, as the server's WIN1252 conversion gives it.
std::optional<std::string> Strictly1252(std::string_view utf8) {
    std::optional<std::string> text = Utf8ToWindows1252(utf8);
    if (text && HasUndefined(*text)) {
        return std::nullopt; // only U+0081 and its four kin come out as these bytes
    }
    return text;
}

// One character (or one byte that starts none) as the host shows what it cannot hold.
std::string EscapeOf(std::string_view character) {
    char buffer[16];
    if (!IsValidUtf8(character)) {
        std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned char>(character[0]));
        return buffer;
    }
    char32_t cp = static_cast<unsigned char>(character[0]) & (0x7F >> character.size());
    for (std::size_t k = 1; k < character.size(); ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(character[k]) & 0x3F);
    }
    std::snprintf(buffer, sizeof buffer, cp > 0xFFFF ? "\\U%08X" : "\\u%04X",
                  static_cast<unsigned>(cp));
    return buffer;
}
} // namespace

std::string ToServer(std::string_view text, const std::string& what) {
    if (!Windows1252()) {
        return std::string(text); // the server refuses what is not UTF-8, and says so
    }
    for (char c : text) {
        if (Undefined(static_cast<unsigned char>(c))) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(c));
            throw EDatabaseError(what + ": the byte " + code +
                                 " has no character in Windows-1252, so the database "
                                 "cannot hold it");
        }
    }
    return Windows1252ToUtf8(text);
}

std::optional<std::string> FromServer(std::string_view text) {
    if (!Windows1252()) {
        return std::string(text);
    }
    return Strictly1252(text);
}

std::string Escaped(std::string_view text) {
    if (!Windows1252()) {
        return std::string(text);
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n =
            std::min(SequenceLength(static_cast<unsigned char>(text[i])), text.size() - i);
        const std::string_view character = text.substr(i, n);
        const std::optional<std::string> byte = Strictly1252(character);
        out += byte ? *byte : EscapeOf(IsValidUtf8(character) ? character : text.substr(i, 1));
        i += byte || IsValidUtf8(character) ? n : 1;
    }
    return out;
}

} // namespace zel::host::server
