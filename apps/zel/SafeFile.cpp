#include "SafeFile.h"

#include "Session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace zel::cli {

namespace {
std::string Reason() {
    return std::strerror(errno);
}

std::string RandomSuffix() {
    static std::random_device device;
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string suffix;
    for (int i = 0; i < 10; ++i) {
        suffix += letters[pick(device)];
    }
    return suffix;
}
} // namespace

TemporaryFile::TemporaryFile(const std::filesystem::path& target, mode_t mode) : target_(target) {
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        // Appended piece by piece: "." + std::string trips GCC 12's false -Wrestrict at -O3.
        std::string name(".");
        name.append(target.filename().string()).append(".").append(RandomSuffix()).append(".tmp");
        path_ = folder / name;
        fd_ = ::open(path_.c_str(), O_CREAT | O_EXCL | O_NOFOLLOW | O_WRONLY | O_CLOEXEC, mode);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        throw Failure("cannot create a file in " + folder.string() + ": " + Reason());
    }
    // The umask may have narrowed the mode; the file gets exactly the one asked for.
    if (::fchmod(fd_, mode) != 0) {
        const std::string reason = Reason();
        ::close(fd_);
        ::unlink(path_.c_str());
        throw Failure("cannot set the mode of " + path_.string() + ": " + reason);
    }
}

TemporaryFile::~TemporaryFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (!committed_) {
        ::unlink(path_.c_str());
    }
}

void TemporaryFile::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw Failure("cannot write " + target_.string() + ": " + Reason());
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd_) != 0) {
        throw Failure("cannot write " + target_.string() + ": " + Reason());
    }
}

void TemporaryFile::Commit(bool replace) {
    if (fd_ >= 0 && ::close(fd_) != 0) {
        fd_ = -1;
        throw Failure("cannot write " + target_.string() + ": " + Reason());
    }
    fd_ = -1;
    const int rc =
        replace ? ::rename(path_.c_str(), target_.c_str())
                : ::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE);
    if (rc != 0) {
        throw Failure("cannot create " + target_.string() + ": " + Reason());
    }
    committed_ = true;
}

std::optional<std::filesystem::path>
FirstExisting(const std::vector<std::filesystem::path>& paths) {
    for (const auto& path : paths) {
        std::error_code ec;
        if (std::filesystem::symlink_status(path, ec).type() !=
            std::filesystem::file_type::not_found) {
            return path;
        }
    }
    return std::nullopt;
}

void WriteNewFile(const std::filesystem::path& path, const std::string& bytes, mode_t mode,
                  bool replace) {
    TemporaryFile file(path, mode);
    file.Write(bytes);
    file.Commit(replace);
}

} // namespace zel::cli
