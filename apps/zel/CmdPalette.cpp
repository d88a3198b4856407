// zel palette: installs the package library at run time, as a development tool does.
#include "Commands.h"
#include "Session.h"
#include "host/Packages.h"
#include "host/Palette.h"
#include "package/Package.h"

#include <dlfcn.h>
#include <filesystem>
#include <fstream>

namespace zel::cli {

namespace {
// The file of the package library this tool runs with.
std::string PackagePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&GetPackageInfoTable), &info) == 0 ||
        info.dli_fname == nullptr) {
        throw std::runtime_error("cannot find the package library's file");
    }
    return std::filesystem::absolute(info.dli_fname).string();
}
} // namespace

Result Palette(const std::optional<std::string>& exportDir, const Style& style) {
    const std::string path = PackagePath();
    host::TPackage package = host::TPackage::Install(path);
    Result r;
    Json pages = Json::array();
    Json exported = Json::array();
    r.text = style.Bold("Package ") + path + "\n";
    if (exportDir) {
        std::error_code ec;
        std::filesystem::create_directories(*exportDir, ec);
        if (ec) {
            throw UsageError("cannot create " + *exportDir + ": " + ec.message());
        }
    }
    for (const host::TPalettePage& page : host::PalettePages()) {
        Json classes = Json::array();
        std::vector<std::vector<std::string>> rows;
        for (const host::TPaletteEntry& e : page.entries) {
            const std::string resource = host::BitmapResourceName(*e.componentClass);
            classes.push_back({{"name", e.componentClass->name},
                               {"bitmap", resource},
                               {"bytes", e.bitmap.size()}});
            rows.push_back({e.componentClass->name, resource + ".bmp",
                            std::to_string(e.bitmap.size()) + " bytes"});
            if (exportDir) {
                const auto file = std::filesystem::path(*exportDir) / (resource + ".bmp");
                std::ofstream out(file, std::ios::binary | std::ios::trunc);
                out.write(e.bitmap.data(), static_cast<std::streamsize>(e.bitmap.size()));
                if (!out) {
                    throw UsageError("cannot write " + file.string());
                }
                exported.push_back(file.string());
            }
        }
        pages.push_back({{"name", page.name}, {"classes", classes}});
        r.text += style.Bold("Page " + page.name) + "\n" + Columns(rows);
    }
    r.json = {{"result", true}, {"package", path}, {"pages", pages}};
    if (exportDir) {
        r.json["exported"] = exported;
        r.text += "Bitmaps written to " + *exportDir + "\n";
    }
    return r;
}

} // namespace zel::cli
