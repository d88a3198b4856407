#include "zel/host/text/Variant.h"

#include "zel/host/core/Errors.h"

#include <charconv>

namespace zel::host {

TVariant TVariant::Blob(std::string bytes) {
    TVariant v;
    v.value_ = Binary{std::move(bytes)};
    return v;
}

TVariant TVariant::Foreign(std::string shown, std::string original) {
    TVariant v;
    v.value_ = Text{std::move(shown), std::move(original), true};
    return v;
}

bool TVariant::IsForeign() const {
    const auto* t = std::get_if<Text>(&value_);
    return t != nullptr && t->foreign;
}

const std::string& TVariant::ForeignBytes() const {
    if (!IsForeign()) {
        throw EVariantError("Variant holds no foreign text");
    }
    return std::get<Text>(value_).original;
}

TVariant::Type TVariant::VarType() const {
    switch (value_.index()) {
    case 1:
        return Type::Integer;
    case 2:
        return Type::Float;
    case 3:
        return Type::String;
    case 4:
        return Type::Blob;
    default:
        return Type::Null;
    }
}

std::int64_t TVariant::AsInteger() const {
    if (const auto* i = std::get_if<std::int64_t>(&value_)) {
        return *i;
    }
    throw EVariantError("Variant is not an integer");
}

double TVariant::AsFloat() const {
    if (const auto* d = std::get_if<double>(&value_)) {
        return *d;
    }
    throw EVariantError("Variant is not a real number");
}

const std::string& TVariant::Bytes() const {
    if (const auto* t = std::get_if<Text>(&value_)) {
        return t->bytes;
    }
    if (const auto* b = std::get_if<Binary>(&value_)) {
        return b->bytes;
    }
    throw EVariantError("Variant holds no text");
}

std::string VarToStr(const TVariant& value) {
    switch (value.VarType()) {
    case TVariant::Type::Null:
        return {};
    case TVariant::Type::Integer:
        return std::to_string(value.AsInteger());
    case TVariant::Type::Float: {
        char buffer[64];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value.AsFloat());
        if (ec != std::errc{}) {
            throw EVariantError("Real number cannot be converted to text");
        }
        return std::string(buffer, end);
    }
    case TVariant::Type::String:
    case TVariant::Type::Blob:
        return value.Bytes();
    }
    return {};
}

} // namespace zel::host
