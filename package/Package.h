#pragma once
// The zel package: the four components with their palette bitmaps, in one shared library
// that applications link and that a development tool can install at run time.
//
// Loading the library (linking it, or TPackage::Load) registers the component classes for
// form reading and the bitmaps as resources; installing it (TPackage::Install) also puts
// the components on the palette page "ZEL".

#include "zel/host/packages/Packages.h"

extern "C" {
/// The package's unit table, for the host's package start-up.
const zel::host::TPackageInfo* GetPackageInfoTable();
/// Runs the units' initialization; harmless to run again.
void Initialize();
/// Runs the units' finalization.
void Finalize();
}

namespace zel::package {

/// What an application that links the package calls before reading forms, so that the
/// component classes are known even if the linker dropped an unreferenced library.
void Initialize();

} // namespace zel::package
