#pragma once
// Files the tool writes are created new, never opened through a name someone else may have
// planted: a temporary file beside the target is made with O_CREAT|O_EXCL|O_NOFOLLOW and the
// mode given, filled, and renamed into place. A failure removes what was created.

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zel::cli {

class TemporaryFile {
public:
    /// Creates a new, empty file in the folder of `target`, with `mode`.
    TemporaryFile(const std::filesystem::path& target, mode_t mode);
    /// Removes the file unless it was committed.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    /// Writes all of `bytes` and syncs them to disk; raises on any failure.
    void Write(const std::string& bytes);
    /// Renames the file to the target. Without `replace` an existing target is kept and
    /// this raises; with it, the target (even a link) is replaced, never followed.
    void Commit(bool replace);

private:
    std::filesystem::path target_;
    std::filesystem::path path_;
    int fd_ = -1;
    bool committed_ = false;
};

/// The first of `paths` that exists (a link counts, even a dangling one), or none: what a
/// command refuses to replace without --force.
std::optional<std::filesystem::path> FirstExisting(const std::vector<std::filesystem::path>& paths);

/// Writes `bytes` as the file `path` through a TemporaryFile.
void WriteNewFile(const std::filesystem::path& path, const std::string& bytes, mode_t mode,
                  bool replace);

} // namespace zel::cli
