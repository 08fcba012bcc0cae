// The pages themselves: progress, a message for the window now and then, the
// frame on the line and the boot loader's answer to it.

#include "update/PageFrames.h"

#include "firmware/FirmwareTexts.h"
#include "platform/File.h"
#include "update/DeviceWaits.h"
#include "update/UpdateTexts.h"
#include "update/UpdateWindow.h"

#include <utility>

namespace tvqx {

namespace {

// The boot loader's addresses are 16 bits wide.
constexpr size_t kLargestImage = 65536;

} // namespace

std::optional<PageImage> LoadPageImage(const std::string& path, size_t pageSize, bool* heldElsewhere)
{
    std::optional<File> file = File::OpenReadWrite(path, heldElsewhere);
    if (!file)
        return std::nullopt;
    return LoadPageImage(std::move(*file), pageSize);
}

bool IsSendableImage(size_t size, size_t pageSize)
{
    return size <= kLargestImage && size >= pageSize;
}

std::optional<PageImage> LoadPageImage(File file, size_t pageSize)
{
    const int64_t length = file.GetLength();
    if (length < 0 || !IsSendableImage(static_cast<uint64_t>(length), pageSize) || !file.Seek(0))
        return std::nullopt;
    std::vector<uint8_t> image(static_cast<size_t>(length));
    if (file.Read(image.data(), image.size()) != static_cast<std::ptrdiff_t>(image.size()))
        return std::nullopt;
    return PageImage(std::move(file), std::move(image));
}

std::optional<PageImage> CUpdateWindow::LoadPageImageForRun(size_t pageSize)
{
    if (const std::vector<uint8_t>* prepared = m_services.preparedImage) {
        if (!IsSendableImage(prepared->size(), pageSize))
            return std::nullopt;
        return PageImage(std::nullopt, *prepared);
    }
    // The image this run made is still held from its conversion.
    if (std::optional<File> kept = std::exchange(m_heldImage, std::nullopt))
        return LoadPageImage(std::move(*kept), pageSize);
    bool held = false;
    std::optional<PageImage> image = LoadPageImage(m_tempDir + texts::kImageFileName, pageSize, &held);
    if (held)
        m_runCause = RunCause::ImageHeld;
    return image;
}

PagesOutcome CUpdateWindow::SendPages(const std::vector<uint8_t>& image, const PageTransferSettings& settings)
{
    // A trailing part shorter than a page is never sent.
    const uint32_t pageCount = static_cast<uint32_t>(image.size() / settings.pageSize);
    uint32_t pageIndex = 0;
    int resendCount = 0;
    while (pageIndex < pageCount) {
        if (resendCount == 0 || !settings.resendAtOnce) {
            SetDlgItemText(IDC_PROGRESS, texts::FormatText(texts::kSendingPage, static_cast<int>(pageIndex + 1),
                                                           static_cast<int>(pageCount)));
            Events().Progress(TransferUnit::Page, static_cast<int>(pageIndex), static_cast<int>(pageCount));
            if (pageIndex % settings.repaintEvery == 0) {
                InvalidateRect(false);
                UpdateWindow();
            }
            // Keep the window alive: one message per pass.
            PostMessage(WM_PAINT, 0, 0);
            m_ui.PumpMessage();
        }

        const uint8_t* page = image.data() + static_cast<size_t>(pageIndex) * settings.pageSize;
        m_port.WriteByte(static_cast<int>((pageIndex >> 8) & 0xFF));
        m_port.WriteByte(static_cast<int>(pageIndex & 0xFF));
        WaitMs(settings.afterNumberMs);
        m_port.WriteBuffer(page, static_cast<int>(settings.pageSize));
        WaitMs(settings.afterDataMs);
        uint8_t checksum = 0;
        for (size_t i = 0; i < settings.pageSize; ++i)
            checksum = static_cast<uint8_t>(checksum + page[i]);
        m_port.WriteByte(checksum);
        WaitMs(settings.afterChecksumMs);

        // Only one byte is taken; anything behind it answers the next page.
        const DeviceByte answer = WaitForByte(m_port, m_services.clock, kPageAnswerTimeoutMs);
        if (answer.TimedOut())
            return PagesOutcome::NoAnswer;
        if (answer.Is(kPageAccepted)) {
            resendCount = 0;
            ++pageIndex;
            continue;
        }
        if (answer.Is(kPageResend) && ++resendCount < kMaxSendsPerPage)
            continue;
        return PagesOutcome::InvalidAnswer;
    }
    return PagesOutcome::AllAccepted;
}

} // namespace tvqx
