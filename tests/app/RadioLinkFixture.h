#pragma once
// The radio variants on virtual time: the main window, the simulated radio
// gateway on COM3 and the remote unit behind it, and a user who answers the
// rover module dialog.

#include "UpdateFixture.h"

#include <string>

namespace tvqx::testing {

inline const std::string kSixEscapes(6, '\x1B');

class RadioLinkFixture : public UpdateFixture {
protected:
    // Variant 3 or 6 with firmware of 64 bytes and the window on COM3; the
    // boot loader behind the remote unit has `faults`' faults. Unless
    // the options say otherwise, the remote unit's Setup button is pressed
    // 1500 ms after the gateway starts listening for it.
    void Prepare(int v, sim::RadioOptions radio = {}, sim::VariantDeviceFaults faults = {})
    {
        if (!radio.linkConfigured && !radio.setupPressAtMs && !radio.setupAfterListenMs)
            radio.setupAfterListenMs = 1500;
        faults.radio = std::move(radio);
        UseVariant(v, std::move(faults));
        WriteFirmwareHex(64);
        OpenOnDevicePort();
        // The user presses `dialogButton` as soon as the rover module dialog
        // allows it: Start Update once a good line came in, Cancel at once.
        ui.onModalStart = [this](CDialog& dialog) {
            ++dialogsShown;
            roverDialog = &dialog;
            if (dialogButton == IDCANCEL)
                ui.PostClick(dialog, IDCANCEL);
        };
        ui.onControlChanged = [this](CDialog& dialog, int) {
            if (&dialog == roverDialog && dialogButton == IDC_START_UPDATE &&
                dialog.IsDlgItemEnabled(IDC_START_UPDATE)) {
                roverDialog = nullptr;
                ui.PostClick(dialog, IDC_START_UPDATE);
            }
        };
    }

    std::string Sent() const
    {
        const std::vector<uint8_t> bytes = SentBytes();
        return {bytes.begin(), bytes.end()};
    }

    // When (after the press) the n-th `text` the program sent began.
    uint64_t TimeOf(const std::string& text, int n = 1) const
    {
        const std::string sent = Sent();
        size_t at = sent.find(text);
        while (at != std::string::npos && --n > 0)
            at = sent.find(text, at + text.size());
        EXPECT_NE(at, std::string::npos) << "not sent: " << text;
        return at == std::string::npos ? 0 : SentTimes()[at];
    }

    // The API frames that set the gateway's radio up after "<RP".
    static std::string SetupFrames(int v)
    {
        std::string frames = std::string("<RP") + std::string("\x7E\x00\x06\x08\x52\x49\x44\xD1\xD3\x74", 10);
        if (v == 6)
            frames += std::string("\x7E\x00\x05\x08\x52\x43\x48\x0E\x0C", 9);
        return frames + std::string("\x7E\x00\x05\x08\x52\x41\x50\x00\x14", 9);
    }

    static char Probe(int v) { return v == 3 ? '\x80' : '\xC0'; }

    int dialogButton = IDC_START_UPDATE;
    int dialogsShown = 0;
    CDialog* roverDialog = nullptr;
};

} // namespace tvqx::testing
