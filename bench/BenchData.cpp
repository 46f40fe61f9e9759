#include "bench/BenchData.h"

#include <cstdlib>
#include <filesystem>

namespace tavrin::bench {

std::string benchDataFolder(const char* programPath) {
    const char* configured = std::getenv("TAVRIN_BENCH_DATA");
    std::filesystem::path folder = configured != nullptr && *configured != '\0'
                                       ? std::filesystem::path(configured)
                                       : std::filesystem::path(programPath).parent_path() / "data";
    std::filesystem::create_directories(folder);
    return folder.string();
}

}  // namespace tavrin::bench
