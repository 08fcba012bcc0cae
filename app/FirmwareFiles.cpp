// The firmware description file beside the program, read as the window
// starts.

#include "app/ProductInfo.h"
#include "app/TVQX_UpdateDlg.h"
#include "firmware/DescriptionFile.h"
#include "firmware/FirmwareTexts.h"

namespace tvqx {

void CTVQX_UpdateDlg::ReadFirmwareDescription()
{
    // What the waiting variants blink while they wait for the boot loader.
    m_wakePrompt = product::kWakePrompt;
    const std::string caption = texts::FirmwareCaption();
    const std::string path = m_programDir + texts::kDescriptionFileName;
    std::string status = path;

    const DescriptionFileContent content = ReadDescriptionFile(path);
    if (content.heldElsewhere)
        m_runCause = RunCause::FirmwareFileHeld;
    if (!content.opened) {
        MessageBox(std::string(texts::kCannotOpenDescription) + texts::kFiveBlanks + path + "     \n\n" +
                       texts::kUpdateDisabled,
                   caption, MB_ICONEXCLAMATION);
        status.clear();
    } else {
        m_firmwareVersion = content.firmwareVersion;
        m_hexFileName = content.hexFileName;
        if (!content.complete)
            status.clear();
        else
            status = m_programDir + m_hexFileName;
    }

    SetDlgItemText(IDC_PRODUCT_LINE, texts::kProductLine);

    if (status.empty()) {
        m_firmwareVersion.clear();
        m_hexFileName.clear();
    } else if (CheckHexFile() == 0) {
        status.clear();
        m_firmwareVersion.clear();
        m_hexFileName.clear();
    }

    SetDlgItemText(IDC_FIRMWARE_VERSION, texts::kFirmwareVersionPrefix + m_firmwareVersion);
    SetDlgItemText(IDC_BOOTLOADER_VERSION, "");
    SetDlgItemText(IDC_PROGRESS, "");
    SetDlgItemText(IDC_RESULT, "");
    if (status.empty()) {
        EnableDlgItem(IDC_BEGIN_UPDATE, false);
        Events().RunEnded(RunEnd{RunOutcome::NotStarted, 0, m_runCause});
    }
    m_runCause = RunCause::None;
}

} // namespace tvqx
