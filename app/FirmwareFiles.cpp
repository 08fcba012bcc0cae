// The firmware files beside the program: the description file, the HEX file
// check and the conversion into the page image.

#include "app/FirmwareTexts.h"
#include "app/ProductInfo.h"
#include "app/TVQX_UpdateDlg.h"
#include "firmware/DescriptionFile.h"
#include "firmware/HexFileCheck.h"
#include "firmware/HexImage.h"

namespace tvqx {

namespace {

std::string FirmwareCaption()
{
    return std::string(texts::kFirmwareCaptionName) + texts::kFirmwareCaptionSuffix;
}

} // namespace

void CTVQX_UpdateDlg::ReadFirmwareDescription()
{
    // What the waiting variants blink while they wait for the boot loader.
    m_wakePrompt = product::kWakePrompt;
    const std::string caption = FirmwareCaption();
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

int CTVQX_UpdateDlg::CheckHexFile()
{
    const HexCheckResult check = CheckHexFileAt(m_programDir + m_hexFileName);
    if (check.heldElsewhere)
        m_runCause = RunCause::FirmwareFileHeld;
    if (!check.opened) {
        MessageBox(std::string(texts::kCannotOpenHexFile) + texts::kFiveBlanks + m_hexFileName + texts::kFiveBlanks,
                   FirmwareCaption(), MB_ICONEXCLAMATION);
        EnableDlgItem(IDC_BEGIN_UPDATE, false);
    }
    SetDlgItemText(IDC_FIRMWARE_FILE,
                   texts::kFirmwareFilePrefix + m_hexFileName + (check.opened ? check.modificationPart : ""));
    return check.opened ? 1 : 0;
}

int CTVQX_UpdateDlg::ConvertHexToImage()
{
    const std::string hexPath = m_programDir + m_hexFileName;
    const std::string imagePath = m_tempDir + texts::kImageFileName;
    const char* message = nullptr;
    bool held = false;
    switch (ConvertHexFileToImage(hexPath, imagePath, &held)) {
    case ConvertResult::Ok:
        return 1;
    case ConvertResult::CannotCreateImage:
        message = texts::kCannotCreateImage;
        if (held)
            m_runCause = RunCause::ImageHeld;
        break;
    case ConvertResult::CannotOpenHex:
        message = texts::kCannotOpenFirmware;
        if (held)
            m_runCause = RunCause::FirmwareFileHeld;
        break;
    case ConvertResult::InvalidHex:
        message = texts::kInvalidHexFile;
        break;
    }
    MessageBox(message, texts::kConversionCaption, MB_OK);
    return 0;
}

void CTVQX_UpdateDlg::DeleteImageFile()
{
    ::tvqx::DeleteImageFile(m_tempDir + texts::kImageFileName);
}

} // namespace tvqx
