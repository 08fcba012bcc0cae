#include "UpdateFixture.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace tvqx::testing {

std::string MakeHex(const std::vector<uint8_t>& data)
{
    std::string hex;
    char line[80];
    for (size_t off = 0; off < data.size(); off += 16) {
        const size_t n = std::min<size_t>(16, data.size() - off);
        unsigned sum = n + (off >> 8 & 0xFF) + (off & 0xFF);
        std::snprintf(line, sizeof line, ":%02X%04X00", static_cast<unsigned>(n), static_cast<unsigned>(off & 0xFFFF));
        hex += line;
        for (size_t i = 0; i < n; ++i) {
            std::snprintf(line, sizeof line, "%02X", data[off + i]);
            hex += line;
            sum += data[off + i];
        }
        std::snprintf(line, sizeof line, "%02X\r\n", (256 - (sum & 0xFF)) & 0xFF);
        hex += line;
    }
    return hex + ":00000001FF\r\n";
}

namespace {

// Bytes that look like firmware: not all alike, so misplaced pages show.
std::vector<uint8_t> FirmwareBytes(size_t count)
{
    std::vector<uint8_t> bytes(count);
    uint32_t x = 0x12345678;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return bytes;
}

} // namespace

UpdateFixture::UpdateFixture() : ProgramOnVirtualTime(kStartMs)
{
    m_programDir = m_scratch.MakeDir("program/");
    m_tempDir = m_scratch.MakeDir("temp/");
    inventory.Set(std::vector<PortEntry>{{"COM1", "/dev/null"}, {"COM3", "/dev/null"}});
    UseVariant(10);
}

void UpdateFixture::UseVariant(int v, sim::VariantDeviceFaults faults)
{
    variant = v;
    services.updateVariant = v;
    unit = sim::MakeDeviceForVariant(v, std::move(faults));
    ports.Attach(kDevicePort, unit.Line());
}

void UpdateFixture::WriteProgramFile(const std::string& name, const std::string& content)
{
    std::ofstream(m_programDir + name, std::ios::binary) << content;
}

void UpdateFixture::WriteFirmwareHex(size_t bytes)
{
    firmware = FirmwareBytes(bytes);
    hexText = MakeHex(firmware);
    WriteHexText(hexText);
}

void UpdateFixture::Open()
{
    dlg = std::make_unique<CTVQX_UpdateDlg>(services);
    dlg->m_programDir = m_programDir;
    dlg->m_tempDir = m_tempDir;
    ui.Create(*dlg);
}

void UpdateFixture::ListPorts(const std::vector<const char*>& names)
{
    std::vector<PortEntry> entries;
    for (const char* name : names)
        entries.push_back({name, ""});
    inventory.Set(entries);
}

void UpdateFixture::RunWindowUntil(const std::function<bool()>& done, uint64_t limitMs)
{
    const uint64_t end = clock.Now() + limitMs;
    while (!done() && clock.Now() < end)
        if (!ui.PumpMessage())
            break;
}

void UpdateFixture::ExpectBox(const std::string& text, const std::string& caption, UINT type) const
{
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, text);
    EXPECT_EQ(Boxes()[0].caption, caption);
    EXPECT_EQ(Boxes()[0].type, type);
}

void UpdateFixture::ExpectUpdateSucceeded(const std::string& lastProgress)
{
    ExpectBox("The Tollvane QX-R firmware has been successfully updated.     ", "Firmware Update Complete",
              MB_ICONINFORMATION);
    EXPECT_EQ(Status(IDC_BOOTLOADER_VERSION), "Boot loader version  =  TVQXR-1-4.00");
    EXPECT_EQ(Status(IDC_PROGRESS), lastProgress);
    EXPECT_EQ(Status(IDC_RESULT), "Tollvane QX-R firmware successfully updated");
    EXPECT_EQ(profile.GetProfileInt("Settings", "ComPort", -1), kDevicePort);
}

std::vector<std::string> UpdateFixture::HexLines() const
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

bool UpdateFixture::IsIdleWindow() const
{
    bool idle = dlg->IsAtRest() && !ports.IsOpen(kDevicePort) && !DevicePowered() && ui.WaitCursorDepth() == 0;
    for (int id : {IDC_BEGIN_UPDATE, IDC_COM1, IDC_COM3})
        idle = idle && dlg->IsDlgItemEnabled(id);
    return idle;
}

std::vector<uint8_t> UpdateFixture::SentBytes() const
{
    std::vector<uint8_t> bytes;
    for (const auto& r : unit.Received())
        bytes.push_back(r.value);
    return bytes;
}

std::vector<uint64_t> UpdateFixture::SentTimes() const
{
    std::vector<uint64_t> times;
    for (const auto& r : unit.Received())
        times.push_back(r.timeMs - clickMs);
    return times;
}

} // namespace tvqx::testing
