#include "fuzz/FuzzSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvqx::fuzz {

namespace {

std::string MakeScratch()
{
    // Thousands of files a second: memory, not the disk, where the system has it.
    std::string base = "/dev/shm";
    struct stat st {};
    if (::stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || ::access(base.c_str(), W_OK) != 0) {
        const char* tmp = std::getenv("TMPDIR");
        base = tmp && *tmp ? tmp : "/tmp";
    }
    std::string pattern = base + "/tvqx-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    static std::string made;
    made = pattern;
    // libFuzzer ends by exit() when it is done or stopped; a crash leaves
    // the directory for a look at what the run wrote.
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(made, ec);
    });
    return pattern + "/";
}

} // namespace

const std::string& ScratchDirectory()
{
    static const std::string dir = MakeScratch();
    return dir;
}

void WriteBytes(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> SplitArguments(const uint8_t* data, size_t size)
{
    std::vector<std::string> args;
    if (size == 0)
        return args;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    args.push_back(current);
    return args;
}

} // namespace tvqx::fuzz
