#pragma once
// A new password for a user record: stored as an Argon2id hash, never as the text typed.

#include "zel/host/data/DataSet.h"

#include <string>

namespace zel {

/// Hashes `password` into `passwordField` of `table`'s current record and wipes it (also
/// when this raises). The save is the dataset's own, with its old-value check: a record
/// changed meanwhile raises ERecordChanged and keeps what is stored.
void StorePassword(host::TDataSet& table, const std::string& passwordField, std::string& password);

} // namespace zel
