#pragma once
// Files built into the package library: the palette bitmaps, by resource name.

#include <string>
#include <vector>

namespace zel::package {

struct EmbeddedFile {
    std::string name;  ///< resource name: the file name without extension
    std::string bytes; ///< the whole file
};

const std::vector<EmbeddedFile>& EmbeddedFiles();

} // namespace zel::package
