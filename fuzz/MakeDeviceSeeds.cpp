// Writes seed inputs for fuzz_device_answers: for every procedure, one whole
// update against the simulated unit, its answers recorded in the replay
// script's form (each answer timed to the nearest of the replay's delays),
// so that the fuzzer starts from runs that get to the end.
//
//   make-device-seeds DIR

#include "fuzz/ReplayDevice.h"
#include "fuzz/UpdateHarness.h"
#include "sim/VariantDevices.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace tvqx;
using namespace tvqx::fuzz;

namespace {

// Passes everything to the simulated unit and notes what it answered to
// each cue, as the replay device will cue it.
class RecordingDevice final : public sim::SimDevice {
public:
    explicit RecordingDevice(sim::SimDevice& inner) : m_inner(inner) {}

    void SetPower(bool dtr, bool rts, uint64_t nowMs) override
    {
        const bool powered = dtr && rts;
        if (powered && !m_powered)
            NewCue(nowMs);
        m_powered = powered;
        m_inner.SetPower(dtr, rts, nowMs);
    }
    void SetLineSpeed(uint32_t baud, uint64_t nowMs) override { m_inner.SetLineSpeed(baud, nowMs); }
    void Receive(const uint8_t* data, size_t count, uint64_t nowMs) override
    {
        m_wrote = true;
        m_inner.Receive(data, count, nowMs);
    }
    void Collect(uint64_t nowMs, std::vector<uint8_t>& out) override
    {
        if (m_wrote) {
            m_wrote = false;
            NewCue(nowMs);
        }
        const size_t before = out.size();
        m_inner.Collect(nowMs, out);
        if (out.size() > before && !m_cues.empty())
            m_cues.back().answers.push_back({nowMs, std::vector<uint8_t>(out.begin() + before, out.end())});
    }
    bool Dsr() const override { return m_inner.Dsr(); }
    bool DsrAt(uint64_t nowMs) const override { return m_inner.DsrAt(nowMs); }

    // The script: per cue its answers, each split into pieces of at most 15
    // bytes and chained to the next.
    std::vector<uint8_t> Script() const
    {
        std::vector<uint8_t> script;
        for (const Cue& cue : m_cues) {
            uint64_t last = cue.atMs;
            if (cue.answers.empty())
                script.push_back(0);
            for (size_t a = 0; a < cue.answers.size(); ++a) {
                const auto& bytes = cue.answers[a].bytes;
                for (size_t off = 0; off < bytes.size(); off += 15) {
                    const size_t n = std::min<size_t>(15, bytes.size() - off);
                    const bool lastPiece = a + 1 == cue.answers.size() && off + n == bytes.size();
                    const uint64_t delay = off == 0 ? cue.answers[a].atMs - last : 0;
                    script.push_back(static_cast<uint8_t>(DelayClass(delay) << 5 | (lastPiece ? 0 : 0x10) | n));
                    script.insert(script.end(), bytes.begin() + off, bytes.begin() + off + n);
                }
                last = cue.answers[a].atMs;
            }
        }
        return script;
    }

private:
    struct Answer {
        uint64_t atMs;
        std::vector<uint8_t> bytes;
    };
    struct Cue {
        uint64_t atMs;
        std::vector<Answer> answers;
    };

    static uint8_t DelayClass(uint64_t ms)
    {
        uint8_t best = 0;
        for (uint8_t c = 0; c < 8; ++c)
            if (ReplayDevice::kDelaysMs[c] <= ms)
                best = c;
        return best;
    }
    void NewCue(uint64_t nowMs) { m_cues.push_back({nowMs, {}}); }

    sim::SimDevice& m_inner;
    bool m_powered = false;
    bool m_wrote = false;
    std::vector<Cue> m_cues;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-device-seeds DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    for (size_t index = 0; index < std::size(kHarnessVariants); ++index) {
        for (uint8_t user : {0, 1, 3}) {
            HarnessChoices choices;
            choices.variant = kHarnessVariants[index];
            choices.startInDialog = user & 1;
            choices.firmwareSize = kFirmwareSizes[(user >> 1) & 1];
            sim::VariantDeviceFaults faults;
            faults.radio.setupAfterListenMs = 1500;
            sim::VariantDevice unit = sim::MakeDeviceForVariant(choices.variant, faults);
            RecordingDevice recorder(unit.Line());
            {
                UpdateHarness harness(recorder);
                harness.Run(choices);
            }
            // DSR is not recorded: the first pattern with which the replay
            // gets as far as the unit did will do.
            std::vector<uint8_t> input = {static_cast<uint8_t>(index), 0, user};
            const std::vector<uint8_t> script = recorder.Script();
            input.insert(input.end(), script.begin(), script.end());
            bool updated = false;
            for (unsigned dsr = 0; dsr < 256 && !updated; ++dsr) {
                input[1] = static_cast<uint8_t>(dsr);
                ReplayDevice replay(input.data() + 3, input.size() - 3, input[1], UINT64_MAX);
                UpdateHarness harness(replay);
                harness.Run(choices);
                updated = harness.ReportedSuccess();
            }
            if (!updated)
                input[1] = 0;
            const std::string name = dir + "variant" + std::to_string(choices.variant) + "-" + std::to_string(user);
            std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(input.data()),
                                                        static_cast<std::streamsize>(input.size()));
            std::printf("%s: %zu bytes, the simulated unit %s\n", name.c_str(), input.size(),
                        updated ? "was updated" : "was not updated");
        }
    }
    return 0;
}
