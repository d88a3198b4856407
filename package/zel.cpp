// The package unit: lists the units of the package for the host's start-up and shut-down.

#include "zel/components/ZELBBTN.h"
#include "zel/components/ZELBtn.h"
#include "zel/components/ZELMCLB.h"
#include "zel/components/ZELRight.h"
#include "zel/host/packages/Palette.h"
#if ZEL_WITH_POSTGRES
#include "zel/host/postgres/PgTable.h"
#endif
#include "zel/host/qtsql/QtSqlTable.h"
#include "zel/host/sqlite/SQLiteTable.h"
#include "zel/package/EmbeddedFiles.h"
#include "zel/package/Package.h"

namespace {

using namespace zel;

template <class C> void RegisterUnitClass() {
    host::RegisterClass(C::StaticClass());
}

// The package's first unit also makes every dataset of the build known, so that one call
// readies whatever a form file may name.
void RegisterBitmapsAndDatasets() {
    for (const auto& file : package::EmbeddedFiles()) {
        host::RegisterResource(file.name, file.bytes);
    }
    host::RegisterSQLiteClasses();
#if ZEL_WITH_POSTGRES
    host::RegisterPostgresClasses();
#else
    host::RegisterMissingClass("TPgTable");
#endif
    host::RegisterQtSqlClasses();
}

const host::TPackageUnit kUnits[] = {
    {"zel", &RegisterBitmapsAndDatasets, nullptr, nullptr},
    {"ZELRight", &RegisterUnitClass<TZELRight>, nullptr, &ZELRight::Register},
    {"ZELBBTN", &RegisterUnitClass<TZELBitBtn>, nullptr, &ZELBBTN::Register},
    {"ZELBtn", &RegisterUnitClass<TZELButton>, nullptr, &ZELBtn::Register},
    {"ZELMCLB", &RegisterUnitClass<TZELMenuCheckListBox>, nullptr, &ZELMCLB::Register},
};

const host::TPackageInfo kPackage{"zel", static_cast<int>(std::size(kUnits)), kUnits};

// Loading the library runs the units' initialization, as the host's package start-up does.
const bool kInitialized = (host::InitializePackage(kPackage), true);

} // namespace

extern "C" {
const zel::host::TPackageInfo* GetPackageInfoTable() {
    return &kPackage;
}
void Initialize() {
    host::InitializePackage(kPackage);
}
void Finalize() {
    host::FinalizePackage(kPackage);
}
}

namespace zel::package {
void Initialize() {
    (void)kInitialized;
    host::InitializePackage(kPackage);
}
} // namespace zel::package
