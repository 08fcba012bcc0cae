#pragma once
// The command line of tvqx-devsim: which COM number to appear as, how the
// line is paced, where the flash goes, and the boot loader's scripted faults.

#include "sim/PageBootLoader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tvqx::sim {

// Line noise at a time counted from the host's start (the device's own noise
// times are on the host clock, which the command line cannot know).
struct NoiseAfterStart {
    uint64_t afterStartMs = 0;
    std::vector<uint8_t> bytes{};
};

struct DevsimOptions {
    int comNumber = 0;
    unsigned updates = 0;   // 0: run until stopped
    bool fast = false;
    bool quiet = false;
    std::string flashOut{};
    std::string variant = "page";
    PageBootLoaderFaults faults{};
    std::vector<NoiseAfterStart> noise{};
};

struct DevsimCommandLine {
    enum class Outcome { Run, Help, Error };
    Outcome outcome = Outcome::Error;
    DevsimOptions options{};
    std::string error{};   // for Error: one line saying what is wrong
};

DevsimCommandLine ParseDevsimCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string DevsimUsage();

} // namespace tvqx::sim
