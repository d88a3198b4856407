#pragma once
// The one place where a field value meets a QVariant of Qt SQL. Text goes through QString
// by the host's text setting (ServerText.h): a database text the setting cannot hold reads
// as foreign text and is sent back as it came; host text that is not valid text (a byte
// Windows-1252 leaves undefined, bytes that are not UTF-8) is sent as bytes.

#include "zel/host/text/Variant.h"

#include <QMetaType>
#include <QVariant>
#include <optional>

namespace zel::host::qtsql {

/// How a column's values are sent.
enum class Kind { Text, Integer, Float, Bytes };

Kind KindOf(QMetaType type);
TVariant FromQt(const QVariant& value);
/// `value` for a column of `kind`, whose type `type` a NULL carries.
QVariant ToQt(const TVariant& value, Kind kind, QMetaType type);
/// The host text as a QString, or nullopt where it is not valid text.
std::optional<QString> TextToQt(const std::string& text);

} // namespace zel::host::qtsql
