#pragma once
// What every fuzz target shares: a scratch directory on a memory file system
// where there is one (each run writes its files anew), a file written from
// the fuzz input, the input cut into arguments, and a check that stops the
// run loudly, so that a broken property counts as a crash.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tvqx::fuzz {

// A directory of its own for this process, made on first use and ending in '/'.
const std::string& ScratchDirectory();

// Writes `size` bytes at `path`, replacing what was there.
void WriteBytes(const std::string& path, const uint8_t* data, size_t size);
std::vector<uint8_t> ReadBytes(const std::string& path);
bool Exists(const std::string& path);

// The input as a command line: arguments separated by NUL bytes.
std::vector<std::string> SplitArguments(const uint8_t* data, size_t size);

[[noreturn]] inline void Fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

} // namespace tvqx::fuzz

#define FUZZ_CHECK(condition)                                                                                   \
    do {                                                                                                       \
        if (!(condition))                                                                                      \
            ::tvqx::fuzz::Fail(#condition, __FILE__, __LINE__);                                                \
    } while (0)
