// zel palette: installs the package library at run time, as a development tool does.
#include "CommandLine.h"
#include "Commands.h"
#include "SafeFile.h"
#include "Session.h"
#include "zel/host/packages/Packages.h"
#include "zel/host/packages/Palette.h"
#include "zel/package/Package.h"

#include <dlfcn.h>
#include <filesystem>

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

Result Palette(const std::optional<std::string>& exportDir, bool force, const Style& style) {
    const std::string path = PackagePath();
    host::TPackage package = host::TPackage::Install(path);
    std::vector<std::filesystem::path> exports;
    if (exportDir) {
        std::error_code ec;
        std::filesystem::create_directories(*exportDir, ec);
        if (ec) {
            throw UsageError("cannot create " + VisiblePath(*exportDir) + ": " + ec.message());
        }
        for (const host::TPalettePage& page : host::PalettePages()) {
            for (const host::TPaletteEntry& e : page.entries) {
                exports.push_back(std::filesystem::path(*exportDir) /
                                  (host::BitmapResourceName(*e.componentClass) + ".bmp"));
            }
        }
        // Refuse before writing anything, as `zel example` does.
        if (const auto existing = force ? std::nullopt : FirstExisting(exports)) {
            return Refused(VisiblePath(existing->string()) + " exists; use --force to replace it",
                           style);
        }
    }
    Result r;
    Json pages = Json::array();
    Json exported = Json::array();
    if (!style.json) {
        style.Out() << style.Bold("Package ") << VisiblePath(path) << '\n';
    }
    std::size_t next = 0;
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
                const auto& file = exports[next++];
                WriteNewFile(file, e.bitmap, 0644, force);
                exported.push_back(file.string());
            }
        }
        pages.push_back({{"name", page.name}, {"classes", classes}});
        if (!style.json) {
            style.Out() << style.Bold("Page " + page.name) << '\n';
            WriteColumns(style.Out(), rows);
        }
    }
    if (style.json) {
        r.json = {{"result", true}, {"package", path}, {"pages", pages}};
        if (exportDir) {
            r.json["exported"] = exported;
        }
    } else if (exportDir) {
        style.Out() << "Bitmaps written to " << VisiblePath(*exportDir) << '\n';
    }
    return r;
}

void AddPaletteCommand(CLI::App& app, CommandSet& set) {
    struct Arguments {
        std::optional<std::string> exportDir;
        bool force = false;
    };
    auto a = std::make_shared<Arguments>();
    CLI::App& c = *app.add_subcommand("palette", "install the package and list its palette");
    c.add_option("--export", a->exportDir, "write the palette bitmaps into this folder");
    c.add_flag("--force", a->force, "replace bitmaps that exist");
    AddJson(c, set);
    Footer(c, "zel palette --export ./bitmaps");
    Register(set, &c, [a](const Style& style) { return Palette(a->exportDir, a->force, style); });
}

} // namespace zel::cli
