// The byte-level floor of `kvarsel-batch translate` for the comparison mode of
// kvarsel_bench: the least any program doing the job must do. It reads every
// script and writes it back as the program's safe writer does (a temporary file,
// flushed to the disk, renamed into place), and reads every dictionary and
// hashes each of its lines, without decoding a byte.
//
//   kvarsel_floor RESOURCE_DIR DICTIONARY...

#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

static std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    in.seekg(0, std::ios::end);
    bytes.resize(size_t(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), std::streamsize(bytes.size()));
    return bytes;
}

int main(int argc, char* argv[])
{
    if (argc < 2)
        return 2;
    std::vector<fs::path> scripts;
    for (const auto& entry : fs::recursive_directory_iterator(argv[1]))
        if (entry.is_regular_file())
            scripts.push_back(entry.path());
    for (const fs::path& path : scripts) {
        const std::string bytes = readAll(path);
        fs::path tmp = path;
        tmp += ".tmp";
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) ||
            ::fdatasync(fd) != 0)
            return 1;
        ::close(fd);
        fs::rename(tmp, path);
    }
    uint64_t sum = 0;
    for (int d = 2; d < argc; ++d) {
        const std::string bytes = readAll(argv[d]);
        uint64_t h = 14695981039346656037ULL;
        for (const char c : bytes) {
            if (c == '\r' || c == '\n') {
                sum += h;
                h = 14695981039346656037ULL;
                continue;
            }
            h = (h ^ uint8_t(c)) * 1099511628211ULL;
        }
        sum += h;
    }
    std::printf("%zu scripts, line hash sum %llx\n", scripts.size(), static_cast<unsigned long long>(sum));
    return 0;
}
