#include "zel/host/core/CaseFold.h"

#include "zel/host/core/TextEncoding.h"

#include <array>
#include <cstdint>

namespace zel::host {

namespace {
constexpr std::array<unsigned char, 256> MakeAsciiTable() {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) {
        t[i] = static_cast<unsigned char>(i);
    }
    for (int c = 'A'; c <= 'Z'; ++c) {
        t[c] = static_cast<unsigned char>(c + 32);
    }
    return t;
}
constexpr std::array<unsigned char, 256> MakeWindows1252Table() {
    std::array<unsigned char, 256> t = MakeAsciiTable();
    // Latin-1 range of Windows-1252: À..Þ pair with à..þ, except × (0xD7) and ÷ (0xF7).
    for (int c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD7) {
            t[c] = static_cast<unsigned char>(c + 32);
        }
    }
    t[0x8A] = 0x9A; // Š š
    t[0x8C] = 0x9C; // Œ œ
    t[0x8E] = 0x9E; // Ž ž
    t[0x9F] = 0xFF; // Ÿ ÿ
    return t;
}
constexpr std::array<unsigned char, 256> kAscii = MakeAsciiTable();
constexpr std::array<unsigned char, 256> kWindows1252 = MakeWindows1252Table();

const std::array<unsigned char, 256>& Table() {
    return TextEncoding() == TTextEncoding::Utf8 ? kAscii : kWindows1252;
}
} // namespace

unsigned char FoldCase(unsigned char c) {
    return Table()[c];
}

std::string FoldCase(std::string_view text) {
    const auto& fold = Table();
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(fold[static_cast<unsigned char>(c)]);
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    const auto& fold = Table();
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold[static_cast<unsigned char>(a[i])] != fold[static_cast<unsigned char>(b[i])]) {
            return false;
        }
    }
    return true;
}

std::size_t TFoldedHash::operator()(std::string_view text) const {
    const auto& fold = Table();
    std::uint64_t h = 14695981039346656037ull; // FNV-1a over the folded bytes
    for (char c : text) {
        h = (h ^ fold[static_cast<unsigned char>(c)]) * 1099511628211ull;
    }
    // Mixed, so that the low bits a power-of-two table uses depend on every bit.
    h = (h ^ (h >> 33)) * 0xff51afd7ed558ccdull;
    return static_cast<std::size_t>(h ^ (h >> 33));
}

} // namespace zel::host
