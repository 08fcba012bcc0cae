// The second phase of the waiting page variants 4 and 5 (and variant 6's
// transfer over the radio link): once the boot loader has announced itself,
// the image goes out in 256-byte pages on the port the first phase left
// open. The variant table removes the image file afterwards.

#include "firmware/FirmwareTexts.h"
#include "update/UpdateTexts.h"
#include "update/UpdateWindow.h"

namespace tvqx {

namespace {

constexpr uint8_t kReady = '!';

struct TwoPhaseSettings {
    uint32_t beforeEntryMs;
    uint32_t afterEntryMs;
    uint32_t afterEndMarkerMs;
    PageTransferSettings pages;
};

TwoPhaseSettings SettingsOf(int variant)
{
    if (variant == 4)
        return {100, 20, 20, {256, 20, 10, 20, 4, false}};
    // Variant 5 sends each frame in one go and answers a resend at once.
    return {500, 0, 0, {256, 0, 0, 0, 8, true}};
}

} // namespace

void CUpdateWindow::SendPageImageVariant4()
{
    SendPageImageInTwoPhases(4);
}

void CUpdateWindow::SendPageImageVariant5()
{
    SendPageImageInTwoPhases(5);
}

void CUpdateWindow::SendPageImageInTwoPhases(int variant)
{
    CWaitCursor wait(m_ui);
    const TwoPhaseSettings settings = SettingsOf(variant);
    if (!GreetBootLoader(settings.beforeEntryMs, settings.afterEntryMs, kReady))
        return;

    // Held from here to the end of the transfer; let go of before any message.
    std::optional<PageImage> image = LoadPageImageForRun(settings.pages.pageSize);
    if (!image) {
        FinishTransfer();
        EndRun(RunOutcome::Failed);
        MessageBox(texts::kCannotOpenImage, texts::kUpdateErrorCaption, MB_OK);
        return;
    }
    const PagesOutcome outcome = SendPages(image->Bytes(), settings.pages);
    if (outcome != PagesOutcome::AllAccepted)
        image->Close();
    switch (outcome) {
    case PagesOutcome::AllAccepted:
        break;
    case PagesOutcome::NoAnswer:
        FailTransfer(texts::FromTheDevice(texts::kNoResponseFrom));
        return;
    case PagesOutcome::InvalidAnswer:
        FailTransfer(texts::FromTheDevice(texts::kInvalidReadyFrom));
        return;
    }

    SendEndMarker();
    WaitMs(settings.afterEndMarkerMs);
    image->Close();
    SucceedTransfer();
}

} // namespace tvqx
