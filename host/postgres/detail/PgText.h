#pragma once
// PostgreSQL's connections speak UTF8: the host's text meets them where every Unicode
// database's does (ServerText.h).

#include "zel/host/data/ServerText.h"

namespace zel::host::pg {
using server::Escaped;
using server::FromServer;
using server::ToServer;
} // namespace zel::host::pg
