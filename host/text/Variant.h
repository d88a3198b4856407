#pragma once
// TVariant: a field value as a dataset hands it over. Text and binary values are 8-bit
// byte strings and keep every byte.

#include <cstdint>
#include <string>
#include <variant>

namespace zel::host {

class TVariant {
public:
    enum class Type { Null, Integer, Float, String, Blob };

    TVariant() = default; // Null
    TVariant(std::int64_t value) : value_(value) {}
    TVariant(int value) : value_(static_cast<std::int64_t>(value)) {}
    TVariant(double value) : value_(value) {}
    TVariant(std::string value) : value_(Text{std::move(value), {}, false}) {}
    TVariant(const char* value) : value_(Text{value, {}, false}) {}
    static TVariant Blob(std::string bytes);
    /// Text a database holds in characters that the host's text setting does not have. It
    /// reads as `shown` (those characters escaped, as \u0141), equals no text of the host's
    /// own, and keeps the database's bytes (`original`) for statements that name it again.
    static TVariant Foreign(std::string shown, std::string original);

    Type VarType() const;
    bool IsNull() const { return VarType() == Type::Null; }
    std::int64_t AsInteger() const; ///< raises EVariantError unless Integer
    double AsFloat() const;         ///< raises EVariantError unless Float
    /// The bytes of a String or Blob; raises EVariantError otherwise.
    const std::string& Bytes() const;
    bool IsForeign() const;
    /// The database's own bytes of a foreign text; raises EVariantError otherwise.
    const std::string& ForeignBytes() const;

    bool operator==(const TVariant& other) const = default;

private:
    struct Text {
        std::string bytes;
        std::string original; // foreign text only
        bool foreign = false;
        bool operator==(const Text&) const = default;
    };
    struct Binary {
        std::string bytes;
        bool operator==(const Binary&) const = default;
    };
    std::variant<std::monostate, std::int64_t, double, Text, Binary> value_;
};

/// The host's conversion of a variant to text: Null reads as empty text, integers and
/// reals as their decimal text (reals in the shortest form that reads back exactly),
/// text and binary values as their bytes.
std::string VarToStr(const TVariant& value);

} // namespace zel::host
