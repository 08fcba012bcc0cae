#include "VariantFixture.h"

#include <filesystem>
#include <sstream>

namespace tvqx::testing {

void VariantFixture::UseVariant(int v, sim::VariantDeviceFaults faults)
{
    variant = v;
    services.updateVariant = v;
    unit = sim::MakeDeviceForVariant(v, std::move(faults));
    ports.Attach(kDevicePort, unit.Line());
}

void VariantFixture::WriteHexText(const std::string& hex)
{
    WriteDescription("QX-R 4.12\r\nfirmware.hex\r\n");
    WriteProgramFile("firmware.hex", hex);
}

void VariantFixture::WriteFirmwareHex(size_t bytes)
{
    firmware = FirmwareBytes(bytes);
    hexText = MakeHex(firmware);
    WriteHexText(hexText);
}

std::vector<std::string> VariantFixture::HexLines() const
{
    std::vector<std::string> lines;
    std::istringstream in(hexText);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool VariantFixture::IsIdleWindow() const
{
    bool idle = dlg->IsAtRest() && !ports.IsOpen(kDevicePort) && !DevicePowered() && ui.WaitCursorDepth() == 0;
    for (int id : {IDC_BEGIN_UPDATE, IDC_COM1, IDC_COM3})
        idle = idle && dlg->IsDlgItemEnabled(id);
    return idle;
}

void VariantFixture::OpenOnDevicePort()
{
    Open();
    ui.Click(*dlg, IDC_COM3);
    clickMs = clock.Now();
}

void VariantFixture::RunWindow(uint64_t limitMs)
{
    RunWindowUntil([&] { return UpdateOver(); }, limitMs);
}

void VariantFixture::RunWindowUntil(const std::function<bool()>& done, uint64_t limitMs)
{
    const uint64_t end = clock.Now() + limitMs;
    while (!done() && clock.Now() < end)
        if (!ui.PumpMessage())
            break;
}

std::vector<uint8_t> VariantFixture::SentBytes() const
{
    std::vector<uint8_t> bytes;
    for (const auto& r : unit.Received())
        bytes.push_back(r.value);
    return bytes;
}

std::vector<uint64_t> VariantFixture::SentTimes() const
{
    std::vector<uint64_t> times;
    for (const auto& r : unit.Received())
        times.push_back(r.timeMs - clickMs);
    return times;
}

std::vector<uint64_t> VariantFixture::PollTimes() const
{
    std::vector<uint64_t> times;
    if (unit.wakeUp)
        for (uint64_t t : unit.wakeUp->PollTimes())
            times.push_back(t - clickMs);
    return times;
}

bool VariantFixture::DevicePowered() const
{
    const auto& events = unit.PowerEvents();
    return !events.empty() && events.back().on;
}

bool VariantFixture::ImageExists() const
{
    return std::filesystem::exists(ImagePath());
}

} // namespace tvqx::testing
