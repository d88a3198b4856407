#include "zel/host/qtsql/detail/QtSqlValues.h"

#include "zel/host/core/Errors.h"
#include "zel/host/core/TextEncoding.h"
#include "zel/host/data/ServerText.h"

#include <QByteArray>
#include <QString>
#include <limits>

namespace zel::host::qtsql {

Kind KindOf(QMetaType type) {
    switch (type.id()) {
    case QMetaType::QByteArray:
        return Kind::Bytes;
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return Kind::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Float;
    default:
        return Kind::Text;
    }
}

namespace {
TVariant FromUnicode(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const std::string_view bytes(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (std::optional<std::string> held = server::FromServer(bytes)) {
        return TVariant(std::move(*held));
    }
    return TVariant::Foreign(server::Escaped(bytes), std::string(bytes));
}
} // namespace

TVariant FromQt(const QVariant& value) {
    if (value.isNull()) {
        return TVariant();
    }
    switch (value.metaType().id()) {
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return TVariant::Blob(
            std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (value.toULongLong() > static_cast<qulonglong>(std::numeric_limits<qlonglong>::max())) {
            return FromUnicode(value.toString()); // past what an Integer holds: its digits
        }
        return TVariant(static_cast<std::int64_t>(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return TVariant(value.toDouble());
    case QMetaType::QString:
        return FromUnicode(value.toString());
    default:
        break;
    }
    if (KindOf(value.metaType()) == Kind::Integer) {
        return TVariant(static_cast<std::int64_t>(value.toLongLong()));
    }
    return FromUnicode(value.toString()); // dates, times, decimals: as the driver writes them
}

std::optional<QString> TextToQt(const std::string& text) {
    if (TextEncoding() == TTextEncoding::Utf8 && !IsValidUtf8(text)) {
        return std::nullopt;
    }
    try {
        const std::string utf8 = server::ToServer(text, "");
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    } catch (const EDatabaseError&) {
        return std::nullopt; // a byte that Windows-1252 leaves undefined
    }
}

QVariant ToQt(const TVariant& value, Kind kind, QMetaType type) {
    switch (value.VarType()) {
    case TVariant::Type::Null:
        return QVariant(type.isValid() ? type : QMetaType::fromType<QString>());
    case TVariant::Type::Integer:
        return QVariant(static_cast<qlonglong>(value.AsInteger()));
    case TVariant::Type::Float:
        return QVariant(value.AsFloat());
    case TVariant::Type::String:
    case TVariant::Type::Blob:
        break;
    }
    if (value.IsForeign()) {
        const std::string& original = value.ForeignBytes();
        return QString::fromUtf8(original.data(), static_cast<qsizetype>(original.size()));
    }
    const std::string& bytes = value.Bytes();
    if (kind != Kind::Bytes && value.VarType() == TVariant::Type::String) {
        if (std::optional<QString> text = TextToQt(bytes)) {
            return *text;
        }
    }
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace zel::host::qtsql
