// Runs a fuzzer's inputs once each, without libFuzzer: the seed corpus and every input
// that once failed, in the ordinary test suite. Arguments: files or folders of inputs.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize != nullptr) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            for (const auto& entry : std::filesystem::directory_iterator(p)) {
                if (entry.is_regular_file() && entry.path().filename() != "README.md") {
                    inputs.push_back(entry.path());
                }
            }
        } else if (std::filesystem::exists(p)) {
            inputs.push_back(p);
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs found\n");
        return 2;
    }
    for (const auto& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        std::fprintf(stderr, "%s\n", path.c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::fprintf(stderr, "%zu inputs ran\n", inputs.size());
    return 0;
}
