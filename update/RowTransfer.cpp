// The row transfer: the HEX file goes to the boot loader line by line, as it
// is stored, each line asked for with XON and acknowledged with XOFF and '~',
// the whole file with '@'.

#include "app/ProductInfo.h"
#include "app/TVQX_UpdateDlg.h"
#include "platform/File.h"
#include "update/DeviceWaits.h"
#include "update/PageUpdateTexts.h"
#include "update/RowUpdateTexts.h"

#include <optional>

namespace tvqx {

namespace texts {

std::string FromTheDevice(const char* message)
{
    return std::string(message) + kDeviceName + ".     ";
}

std::string RowFailureText()
{
    const std::string five = "     ";
    std::string text = "\n\n";
    text += "Firmware update terminated.\n";
    text += "\n";
    text += std::string("If some of the hex file was transferred, the firmware in the ") + kDeviceName +
            " may be corrupt.     \n";
    text += "\n";
    text += "You should retry the firmware update procedure.\n";
    text += "\n";
    text += "If you continue to have problems, contact Ostrale Systems for support.\n";
    text += five + "Office hours " + product::kOfficeHours + "\n";
    text += five + product::kSupportPhone + "\n";
    text += five + product::kSupportEmail + "\n";
    text += five + product::kWebSite + "\n";
    text += "\n";
    return text;
}

} // namespace texts

namespace {

constexpr uint32_t kBeforeEntryMs = 100;
constexpr uint32_t kReadyTimeoutMs = 2000;
constexpr uint32_t kRowAnswerTimeoutMs = 2000;
constexpr uint8_t kReady = '?';
constexpr uint8_t kXon = 0x11;
constexpr uint8_t kXoff = 0x13;
constexpr uint8_t kLineComplete = '~';
constexpr uint8_t kFileComplete = '@';
constexpr int kRepaintEveryRows = 50;

// A data record (":LLAAAA00...") with at least one byte: a file without one
// has nothing to program, and the boot loader would report it updated.
bool IsDataRecord(const std::string& row)
{
    return row.size() >= 11 && row[0] == ':' && row.substr(7, 2) == "00" && row.substr(1, 2) != "00";
}

} // namespace

void CTVQX_UpdateDlg::FailTransfer(const std::string& message)
{
    FinishTransfer();   // the port is closed: the device loses its power
    SetDlgItemText(IDC_RESULT, texts::kUpdateFailed);
    MessageBox(message + texts::RowFailureText(), texts::kUpdateErrorCaption, MB_ICONEXCLAMATION);
}

void CTVQX_UpdateDlg::SendHexRows()
{
    CWaitCursor wait(m_ui);
    TickClock& clock = m_services.clock;
    if (!CheckHexFile()) {
        // The check has said why; the device must not stay powered and the
        // window half-locked behind its message.
        FinishTransfer();
        return;
    }
    SetDlgItemText(IDC_BOOTLOADER_VERSION, "");
    SetDlgItemText(IDC_PROGRESS, "");
    SetDlgItemText(IDC_RESULT, "");

    WaitMs(kBeforeEntryMs);
    m_port.PurgeInput();
    m_port.WriteString(kBootEntryCommand);

    const VersionAnswer version = ReadVersionAnswer(m_port, clock, kVersionTimeoutMs);
    if (version.outcome != VersionAnswer::Outcome::Accepted) {
        FailTransfer(texts::FromTheDevice(version.outcome == VersionAnswer::Outcome::NoAnswer
                                              ? texts::kNoResponseFrom
                                              : texts::kInvalidVersionFrom));
        return;
    }
    SetDlgItemText(IDC_BOOTLOADER_VERSION, texts::FormatText(texts::kBootLoaderVersion, version.text));

    const DeviceByte ready = WaitForByte(m_port, clock, kReadyTimeoutMs);
    if (!ready.Is(kReady)) {
        FailTransfer(texts::FromTheDevice(ready.TimedOut() ? texts::kNoReadyFrom : texts::kInvalidReadyFrom));
        return;
    }

    std::optional<File> hex = File::OpenRead(m_programDir + m_hexFileName);
    if (!hex) {
        FailTransfer(texts::FormatText(texts::kCannotOpenHexRows, m_hexFileName));
        return;
    }
    auto fail = [&](const std::string& message) {
        hex.reset();
        FailTransfer(message);
    };

    std::string row;
    bool anyData = false;
    hex->Seek(0);
    m_hexRowCount = 0;
    while (hex->ReadString(row)) {
        ++m_hexRowCount;
        anyData = anyData || IsDataRecord(row);
    }
    hex->Seek(0);
    // An empty file fails below, when there is no row to read.
    if (m_hexRowCount > 0 && !anyData) {
        fail(texts::kInvalidHexRow);
        return;
    }

    // Each step's byte, or the failure it ends in: no byte at all, or
    // another byte (a failed read included).
    auto expect = [&](uint8_t wanted, const char* none, const char* other) {
        const DeviceByte got = WaitForByte(m_port, clock, kRowAnswerTimeoutMs);
        if (got.Is(wanted))
            return true;
        fail(texts::FromTheDevice(got.TimedOut() ? none : other));
        return false;
    };

    int rowNumber = 0;
    for (;;) {
        WaitMs(m_rowPauseMs);
        if (!expect(kXon, texts::kNoXonFrom, texts::kInvalidXonFrom))
            return;
        WaitMs(m_rowPauseMs);
        if (!hex->ReadString(row)) {
            fail(texts::kCannotReadHexRows);
            return;
        }
        if (row.empty() || row[0] != ':') {
            fail(texts::kInvalidHexRow);
            return;
        }
        m_port.WriteBuffer(row.data(), static_cast<int>(row.size()));
        ++rowNumber;

        if (rowNumber == m_hexRowCount || rowNumber % 2 == 0) {
            SetDlgItemText(IDC_PROGRESS, texts::FormatText(texts::kSendingRow, rowNumber, m_hexRowCount));
            if (rowNumber % kRepaintEveryRows == 0) {
                InvalidateRect(false);
                UpdateWindow();
            }
            PostMessage(WM_PAINT, 0, 0);
            m_ui.PumpMessage();
        }
        WaitMs(m_rowPauseMs);

        if (rowNumber == m_hexRowCount) {
            hex.reset();
            if (!expect(kFileComplete, texts::kNoFileCompleteFrom, texts::kInvalidFileCompleteFrom))
                return;
            break;
        }
        WaitMs(m_rowPauseMs);
        if (!expect(kXoff, texts::kNoXoffFrom, texts::kInvalidXoffFrom))
            return;
        WaitMs(m_rowPauseMs);
        if (!expect(kLineComplete, texts::kNoLineCompleteFrom, texts::kInvalidLineCompleteFrom))
            return;
    }

    m_services.profile.WriteProfileInt(product::kSettingsSection, product::kComPortEntry, m_port.GetPortNumber());
    FinishTransfer();
    SetDlgItemText(IDC_RESULT, texts::kUpdateSucceeded);
    MessageBox(texts::kUpdateCompleteMessage, texts::kUpdateCompleteCaption, MB_ICONINFORMATION);
}

} // namespace tvqx
