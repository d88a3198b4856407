#include "ShopData.h"

#include "ExampleShop.h"
#include "zel/host/core/Errors.h"

#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace zel::shop {

std::string DataFolder(const std::string& dir) {
    if (!dir.empty()) {
        return dir;
    }
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
}

std::string EnsureDatabase(const std::string& folder, bool& created) {
    created = false;
    std::filesystem::create_directories(folder);
    const std::string path = (std::filesystem::path(folder) / "shop.db").string();
    // Created new, never through a link someone planted, readable by its owner alone.
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_NOFOLLOW | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST) {
            return path;
        }
        throw host::EDatabaseError("Cannot create " + path + ": " + std::strerror(errno));
    }
    ::close(fd);
    try {
        example::MakeExampleDatabase(path);
    } catch (...) {
        ::unlink(path.c_str()); // nothing half-made is left to be taken for the database
        throw;
    }
    created = true;
    return path;
}

} // namespace zel::shop
