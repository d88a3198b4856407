#pragma once
// The example shop's form files, built into the tool from examples/shop.

#include <string>
#include <vector>

namespace zel::cli::example {

struct EmbeddedFile {
    std::string name;  ///< the file name without extension
    std::string bytes; ///< the whole file
};

const std::vector<EmbeddedFile>& EmbeddedFiles();

} // namespace zel::cli::example
