#pragma once
// The error types of the component layer. Every failure the layer or the components
// raise derives from Exception, so a caller that must report any failure catches one type.

#include <stdexcept>
#include <string>

namespace zel::host {

/// Base of every error the project raises; the message says what was wrong and where.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

/// Misuse of a component: bad name, duplicate name, invalid owner.
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

/// A string list index out of range.
class EStringListError : public Exception {
public:
    using Exception::Exception;
};

/// A menu operation that cannot be done (no menu linked, bad index, item placed twice).
class EMenuError : public Exception {
public:
    using Exception::Exception;
};

/// A dataset, field or database operation that cannot be done.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

/// The database is locked by another connection for longer than the wait allowed: a
/// failure of the operation, which may succeed later.
class EDatabaseLocked : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

/// The database file is damaged or is not a database: reading it cannot give its records.
class EDatabaseDamaged : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

/// A save refused because the record no longer holds the values it was read with: another
/// user changed (or deleted) it since. The message is the system's own.
class ERecordChanged : public EDatabaseError {
public:
    ERecordChanged() : EDatabaseError("Record changed by another user") {}
};

/// A variant that cannot be converted to the requested type.
class EVariantError : public Exception {
public:
    using Exception::Exception;
};

} // namespace zel::host
