// The firmware files as the procedures use them: the check of the HEX file
// beside the program, and its conversion into the page image.

#include "firmware/FirmwareTexts.h"
#include "firmware/HexFileCheck.h"
#include "firmware/HexImage.h"
#include "update/UpdateWindow.h"

namespace tvqx {

int CUpdateWindow::CheckHexFile()
{
    const HexCheckResult check = CheckHexFileAt(m_programDir + m_hexFileName);
    if (check.heldElsewhere)
        m_runCause = RunCause::FirmwareFileHeld;
    if (!check.opened) {
        MessageBox(std::string(texts::kCannotOpenHexFile) + texts::kFiveBlanks + m_hexFileName + texts::kFiveBlanks,
                   texts::FirmwareCaption(), MB_ICONEXCLAMATION);
        EnableDlgItem(IDC_BEGIN_UPDATE, false);
    }
    SetDlgItemText(IDC_FIRMWARE_FILE,
                   texts::kFirmwareFilePrefix + m_hexFileName + (check.opened ? check.modificationPart : ""));
    return check.opened ? 1 : 0;
}

int CUpdateWindow::ConvertHexToImage()
{
    if (m_services.preparedImage)
        return 1;   // made from these files once for every unit
    const std::string hexPath = m_programDir + m_hexFileName;
    const std::string imagePath = m_tempDir + texts::kImageFileName;
    const char* message = nullptr;
    bool held = false;
    m_heldImage.reset();
    switch (ConvertHexFileToImage(hexPath, imagePath, &held, &m_heldImage)) {
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

void CUpdateWindow::DeleteImageFile()
{
    m_heldImage.reset();
    ::tvqx::DeleteImageFile(m_tempDir + texts::kImageFileName);
}

} // namespace tvqx
