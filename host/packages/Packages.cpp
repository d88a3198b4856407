#include "zel/host/packages/Packages.h"

#include "zel/host/core/Errors.h"

#include <dlfcn.h>

namespace zel::host {

void InitializePackage(const TPackageInfo& info) {
    for (int i = 0; i < info.unitCount; ++i) {
        if (info.units[i].initialize != nullptr) {
            info.units[i].initialize();
        }
    }
}

void FinalizePackage(const TPackageInfo& info) {
    for (int i = info.unitCount - 1; i >= 0; --i) {
        if (info.units[i].finalize != nullptr) {
            info.units[i].finalize();
        }
    }
}

TPackage TPackage::Load(const std::string& path) {
    // Never unmapped: classes and bitmaps it registered stay valid for the whole run.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) {
        const char* error = dlerror();
        throw EComponentError("Cannot load package " + path + ": " +
                              (error ? error : "unknown error"));
    }
    using InfoFn = const TPackageInfo* (*)();
    using Proc = void (*)();
    auto info = reinterpret_cast<InfoFn>(dlsym(handle, "GetPackageInfoTable"));
    auto initialize = reinterpret_cast<Proc>(dlsym(handle, "Initialize"));
    if (info == nullptr || initialize == nullptr || dlsym(handle, "Finalize") == nullptr ||
        info() == nullptr) {
        dlclose(handle);
        throw EComponentError(
            path + " is not a package: it lacks GetPackageInfoTable, Initialize or Finalize");
    }
    TPackage package(handle, info());
    initialize();
    return package;
}

TPackage TPackage::Install(const std::string& path) {
    TPackage package = Load(path);
    const TPackageInfo& info = package.Info();
    for (int i = 0; i < info.unitCount; ++i) {
        if (info.units[i].registerProc != nullptr) {
            info.units[i].registerProc();
        }
    }
    return package;
}

TPackage::TPackage(TPackage&& other) noexcept : handle_(other.handle_), info_(other.info_) {
    other.handle_ = nullptr;
    other.info_ = nullptr;
}

TPackage& TPackage::operator=(TPackage&& other) noexcept {
    if (this != &other) {
        Unload();
        handle_ = other.handle_;
        info_ = other.info_;
        other.handle_ = nullptr;
        other.info_ = nullptr;
    }
    return *this;
}

TPackage::~TPackage() {
    Unload();
}

void TPackage::Unload() {
    if (handle_ != nullptr) {
        using Proc = void (*)();
        if (auto finalize = reinterpret_cast<Proc>(dlsym(handle_, "Finalize"))) {
            finalize();
        }
        dlclose(handle_);
    }
    handle_ = nullptr;
    info_ = nullptr;
}

} // namespace zel::host
