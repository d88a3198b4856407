#pragma once
// Packages: shared libraries of components that a tool loads at run time. A package
// exports, with C linkage:
//   const TPackageInfo* GetPackageInfoTable();  its units
//   void Initialize();   runs the units' initialization (registers classes and resources)
//   void Finalize();     runs their finalization
// Installing a package loads it and then runs each unit's Register, which puts its
// components on the palette.

#include <string>

namespace zel::host {

struct TPackageUnit {
    const char* name;
    void (*initialize)();   ///< may be nullptr
    void (*finalize)();     ///< may be nullptr
    void (*registerProc)(); ///< may be nullptr
};

struct TPackageInfo {
    const char* name;
    int unitCount;
    const TPackageUnit* units;
};

/// The package start-up and shut-down that a package's Initialize and Finalize call.
void InitializePackage(const TPackageInfo& info);
void FinalizePackage(const TPackageInfo& info);

/// A loaded package library; unloading happens when the handle is destroyed.
class TPackage {
public:
    /// Loads the library at `path` and runs its Initialize; raises EComponentError when the
    /// file is missing or is not a package.
    static TPackage Load(const std::string& path);
    /// Loads it and runs every unit's Register.
    static TPackage Install(const std::string& path);

    TPackage(TPackage&& other) noexcept;
    TPackage& operator=(TPackage&& other) noexcept;
    TPackage(const TPackage&) = delete;
    TPackage& operator=(const TPackage&) = delete;
    ~TPackage();

    const TPackageInfo& Info() const { return *info_; }

private:
    TPackage(void* handle, const TPackageInfo* info) : handle_(handle), info_(info) {}
    void Unload();

    void* handle_ = nullptr;
    const TPackageInfo* info_ = nullptr;
};

} // namespace zel::host
