// The row transfer: the HEX file goes to the boot loader line by line, as it
// is stored, each line asked for with XON and acknowledged with XOFF and '~',
// the whole file with '@'.

#include "platform/File.h"
#include "update/DeviceWaits.h"
#include "update/UpdateTexts.h"
#include "update/UpdateWindow.h"

#include <optional>

namespace tvqx {

namespace {

constexpr uint32_t kBeforeEntryMs = 100;
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

void CUpdateWindow::SendHexRows()
{
    CWaitCursor wait(m_ui);
    TickClock& clock = m_services.clock;
    if (!GreetBootLoader(kBeforeEntryMs, 0, kReady))
        return;

    bool held = false;
    std::optional<File> hex = File::OpenRead(m_programDir + m_hexFileName, &held);
    if (!hex) {
        if (held)
            m_runCause = RunCause::FirmwareFileHeld;
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
            Events().Progress(TransferUnit::Row, rowNumber, m_hexRowCount);
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

    SucceedTransfer();
}

} // namespace tvqx
