#include "zel/host/core/TextEncoding.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace zel::host {

namespace {
std::atomic<TTextEncoding> g_encoding{TTextEncoding::Windows1252};

// Code points of bytes 0x80..0x9F; the undefined ones keep their Latin-1 value.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CodePoint(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : static_cast<char32_t>(byte);
}

std::optional<unsigned char> Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<unsigned char>(cp);
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == cp) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

void Append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`: its code point and length, or length 0 when the
// bytes there are not a valid sequence.
struct Decoded {
    char32_t cp;
    std::size_t length;
};
Decoded DecodeAt(std::string_view utf8, std::size_t i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || i + length > utf8.size()) {
        return {0, 0};
    }
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(utf8[i + k]);
        if ((next & 0xC0) != 0x80) {
            return {0, 0};
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
        return {0, 0};
    }
    return {cp, length};
}
} // namespace

TTextEncoding TextEncoding() {
    return g_encoding.load(std::memory_order_relaxed);
}

void SetTextEncoding(TTextEncoding encoding) {
    g_encoding.store(encoding, std::memory_order_relaxed);
}

std::optional<TTextEncoding> TextEncodingNamed(std::string_view name) {
    std::string lower;
    for (char c : name) {
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (lower == "windows-1252" || lower == "cp1252") {
        return TTextEncoding::Windows1252;
    }
    if (lower == "utf-8" || lower == "utf8") {
        return TTextEncoding::Utf8;
    }
    return std::nullopt;
}

const char* TextEncodingName(TTextEncoding encoding) {
    return encoding == TTextEncoding::Utf8 ? "utf-8" : "windows-1252";
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        Append(out, CodePoint(static_cast<unsigned char>(c)));
    }
    return out;
}

std::optional<std::string> Utf8ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Decoded d = DecodeAt(utf8, i);
        if (d.length == 0) {
            return std::nullopt;
        }
        const auto byte = Byte(d.cp);
        if (!byte) {
            return std::nullopt;
        }
        out += static_cast<char>(*byte);
        i += d.length;
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const Decoded d = DecodeAt(bytes, i);
        if (d.length == 0) {
            return false;
        }
        i += d.length;
    }
    return true;
}

std::string ToUtf8(std::string_view bytes) {
    if (TextEncoding() == TTextEncoding::Windows1252) {
        return Windows1252ToUtf8(bytes);
    }
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const Decoded d = DecodeAt(bytes, i);
        if (d.length == 0) {
            Append(out, 0xFFFD); // one replacement per byte that starts no valid sequence
            ++i;
        } else {
            out.append(bytes.substr(i, d.length));
            i += d.length;
        }
    }
    return out;
}

std::optional<std::string> FromUtf8(std::string_view utf8) {
    if (TextEncoding() == TTextEncoding::Windows1252) {
        return Utf8ToWindows1252(utf8);
    }
    if (!IsValidUtf8(utf8)) {
        return std::nullopt;
    }
    return std::string(utf8);
}

} // namespace zel::host
