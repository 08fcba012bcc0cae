#include "cli/BatchRun.h"

#include "app/ProductInfo.h"
#include "cli/ConsoleReport.h"
#include "firmware/DescriptionFile.h"
#include "firmware/FirmwareTexts.h"
#include "firmware/HexImage.h"
#include "platform/File.h"
#include "update/VariantTable.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <streambuf>
#include <thread>

namespace tvqx::cli {

namespace {

namespace fs = std::filesystem;

// Whole lines onto a stream that several units share: a line is written at
// once, under the lock, so that one line never holds two units' output.
class SharedLines {
public:
    explicit SharedLines(std::ostream& target) : m_target(target) {}

    void Write(const std::string& line)
    {
        const std::lock_guard lock(m_mutex);
        m_target << line << "\n" << std::flush;
    }

private:
    std::ostream& m_target;
    std::mutex m_mutex;
};

// A unit's stream: every line it writes goes out with the unit's prefix.
class PrefixedLines final : public std::streambuf {
public:
    PrefixedLines(SharedLines& target, std::string prefix) : m_target(target), m_prefix(std::move(prefix)) {}
    ~PrefixedLines() override
    {
        if (!m_line.empty())
            m_target.Write(m_prefix + m_line);
    }

protected:
    int_type overflow(int_type c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        if (c == '\n') {
            m_target.Write(m_prefix + m_line);
            m_line.clear();
        } else if (c != '\r') {
            m_line += static_cast<char>(c);
        }
        return c;
    }

private:
    SharedLines& m_target;
    std::string m_prefix;
    std::string m_line;
};

// Ctrl-C in a batch: it cancels while every unit still running waits in a
// way "Cancel Update" ends; each unit then takes it once. Otherwise the
// program ends at once, its ports closed, as a single run's does.
class BatchInterrupts {
public:
    BatchInterrupts(BatchSetup& setup, int units) : m_setup(setup), m_live(units) {}

    bool Requested(int& seen)
    {
        const std::lock_guard lock(m_mutex);
        if (m_setup.interruptRequested && m_setup.interruptRequested())
            ++m_generation;
        if (seen == m_generation)
            return false;
        seen = m_generation;
        return true;
    }
    void Waiting(bool waiting)
    {
        const std::lock_guard lock(m_mutex);
        m_waiting += waiting ? 1 : -1;
        Tell();
    }
    void Ended()
    {
        const std::lock_guard lock(m_mutex);
        --m_live;
        Tell();
    }

private:
    void Tell()
    {
        if (m_setup.interruptCancels)
            m_setup.interruptCancels(m_live > 0 && m_waiting == m_live);
    }

    BatchSetup& m_setup;
    std::mutex m_mutex;
    int m_live;
    int m_waiting = 0;
    int m_generation = 0;
};

struct FileCopy {
    std::string name;
    std::string bytes;
    fs::file_time_type modified;
};

// A file of the bundle, read whole while it is held with sharing denied.
std::optional<FileCopy> ReadWhole(const std::string& dir, const std::string& name)
{
    std::optional<File> file = File::OpenRead(dir + name);
    if (!file)
        return std::nullopt;
    FileCopy copy{name, {}, {}};
    char buffer[4096];
    for (std::ptrdiff_t n; (n = file->Read(buffer, sizeof buffer)) > 0;)
        copy.bytes.append(buffer, static_cast<size_t>(n));
    std::error_code ec;
    copy.modified = fs::last_write_time(dir + name, ec);
    return copy;
}

// The image as its conversion left it; every unit sends these bytes.
std::vector<uint8_t> ReadImage(File& file)
{
    std::vector<uint8_t> bytes;
    const int64_t length = file.GetLength();
    if (length > 0 && file.Seek(0)) {
        bytes.resize(static_cast<size_t>(length));
        if (file.Read(bytes.data(), bytes.size()) != static_cast<std::ptrdiff_t>(bytes.size()))
            bytes.clear();
    }
    return bytes;
}

// The firmware files as they were read once: the description and the HEX
// file it names. Nothing when either cannot be read; the units' windows
// then meet the files as they are and say what is wrong with them.
std::vector<FileCopy> ReadBundle(const std::string& programDir)
{
    std::optional<FileCopy> description = ReadWhole(programDir, texts::kDescriptionFileName);
    if (!description)
        return {};
    const DescriptionFileContent content = ReadDescriptionFile(programDir + texts::kDescriptionFileName);
    if (!content.complete || content.hexFileName.empty())
        return {};
    std::optional<FileCopy> hex = ReadWhole(programDir, content.hexFileName);
    if (!hex)
        return {};
    return {std::move(*description), std::move(*hex)};
}

// A directory of the unit's own under `tempDir`, holding `bundle` with the
// files' own modification times; "" when it cannot be made.
std::string MakeUnitDirectory(const std::string& tempDir, const std::string& portName,
                              const std::vector<FileCopy>& bundle)
{
    std::random_device random;
    for (int attempt = 0; attempt < 20; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        const std::string dir = tempDir + "tvqx-unit-" + portName + "-" + suffix + "/";
        std::error_code ec;
        if (!fs::create_directory(dir, ec))
            continue;
        for (const FileCopy& copy : bundle) {
            std::optional<File> file = File::Create(dir + copy.name);
            if (!file || !file->Write(copy.bytes.data(), copy.bytes.size()) || !file->Close()) {
                fs::remove_all(dir, ec);
                return {};
            }
            fs::last_write_time(dir + copy.name, copy.modified, ec);
        }
        return dir;
    }
    return {};
}

std::string TrimmedRight(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}

struct UnitResult {
    std::string name;
    int status = kExitFailed;
    uint32_t ms = 0;
    std::string failure;   // the first line of its last error box
};

const char* OutcomeWord(int status)
{
    switch (status) {
    case kExitUpdated: return "updated";
    case kExitCancelled: return "cancelled";
    default: return "failed";
    }
}

} // namespace

int ReadOnlySettings::GetProfileInt(const std::string& section, const std::string& entry, int defaultValue)
{
    const auto written = m_written.find(section + "\n" + entry);
    return written != m_written.end() ? written->second : m_settings.GetProfileInt(section, entry, defaultValue);
}

bool ReadOnlySettings::WriteProfileInt(const std::string& section, const std::string& entry, int value)
{
    m_written[section + "\n" + entry] = value;
    return true;
}

int RunBatch(BatchSetup& setup, const std::vector<int>& ports, std::ostream& out, std::ostream& err)
{
    SharedLines outLines(out);
    SharedLines errLines(err);

    // The firmware, read once; the page image made once and held until the
    // last unit is done. Every unit sends that image; its own copy of the
    // files serves for what its window shows of them.
    const std::vector<FileCopy> bundle = ReadBundle(setup.programDir);
    std::vector<std::string> unitDirs;
    for (int port : ports) {
        const std::string dir =
            bundle.empty() ? std::string() : MakeUnitDirectory(setup.tempDir, "COM" + std::to_string(port), bundle);
        unitDirs.push_back(dir);
    }
    auto removeUnitDirs = [&] {
        std::error_code ec;
        for (const std::string& dir : unitDirs)
            if (!dir.empty())
                fs::remove_all(dir, ec);
    };
    std::optional<File> heldImage;
    std::vector<uint8_t> image;
    const std::string imagePath = setup.tempDir + texts::kImageFileName;
    const VariantEntry* variant = FindVariant(setup.updateVariant);
    if (variant && variant->makesImage && !unitDirs.empty() && !unitDirs.front().empty()) {
        bool held = false;
        const ConvertResult converted =
            ConvertHexFileToImage(unitDirs.front() + bundle[1].name, imagePath, &held, &heldImage);
        if (converted != ConvertResult::Ok) {
            const char* message = converted == ConvertResult::CannotCreateImage ? texts::kCannotCreateImage
                                  : converted == ConvertResult::InvalidHex      ? texts::kInvalidHexFile
                                                                                : texts::kCannotOpenFirmware;
            out << FormatMessageBox(texts::kConversionCaption, message) << std::flush;
            if (held && converted == ConvertResult::CannotCreateImage)
                err << kImageHeldNote << imagePath << "\n" << std::flush;
            removeUnitDirs();
            return kExitNotStarted;
        }
        image = ReadImage(*heldImage);
    }

    BatchInterrupts interrupts(setup, static_cast<int>(ports.size()));
    std::once_flag prompted;
    std::vector<UnitResult> results(ports.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < ports.size(); ++i) {
        threads.emplace_back([&, i] {
            const int port = ports[i];
            UnitResult& result = results[i];
            result.name = "COM" + std::to_string(port);
            std::unique_ptr<UnitSurroundings> unit = setup.makeUnit(port);
            if (heldImage)
                unit->Services().preparedImage = &image;
            PrefixedLines outBuffer(outLines, result.name + ": ");
            PrefixedLines errBuffer(errLines, result.name + ": ");
            std::ostream unitOut(&outBuffer);
            std::ostream unitErr(&errBuffer);
            Console console{unitOut, unitErr, false, 1000};
            const std::string dir = unitDirs[i].empty() ? setup.programDir : unitDirs[i];
            int seen = 0;
            UpdateRunSetup run{unit->Services(), unit->Ui(), dir,
                               unitDirs[i].empty() ? setup.tempDir : unitDirs[i], setup.accessHint,
                               [&] { return interrupts.Requested(seen); },
                               [&](bool waiting) { interrupts.Waiting(waiting); }, {}, {}};
            run.showWakePrompt = [&] {
                std::call_once(prompted, [&] {
                    outLines.Write(product::kWakePrompt);
                    outLines.Write(kCancelHint);
                });
            };
            run.boxShown = [&](const MessageBoxRecord& box) {
                if (box.type != MB_ICONINFORMATION)
                    result.failure = TrimmedRight(box.text.substr(0, box.text.find('\n')));
            };
            TickClock& clock = unit->Services().clock;
            const uint32_t start = clock.GetTickCount();
            result.status = RunUpdate(run, port, console);
            result.ms = clock.GetTickCount() - start;
            interrupts.Ended();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    heldImage.reset();
    DeleteImageFile(imagePath);
    removeUnitDirs();

    int updated = 0, notStarted = 0;
    bool cancelled = false;
    for (const UnitResult& r : results) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, " %.1f s", r.ms / 1000.0);
        std::string line = r.name + "  " + OutcomeWord(r.status) + seconds;
        if (r.status != kExitUpdated && r.status != kExitCancelled && !r.failure.empty())
            line += " - " + r.failure;
        out << line << "\n";
        updated += r.status == kExitUpdated;
        notStarted += r.status == kExitNotStarted;
        cancelled = cancelled || r.status == kExitCancelled;
    }
    out << updated << " of " << results.size() << " units updated\n" << std::flush;
    if (updated == static_cast<int>(results.size()))
        return kExitUpdated;
    if (cancelled)
        return kExitCancelled;
    return notStarted == static_cast<int>(results.size()) ? kExitNotStarted : kExitFailed;
}

} // namespace tvqx::cli
