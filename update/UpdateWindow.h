#pragma once
// The part of the main window that updates the unit: the update procedures
// of every variant, the state they keep between messages and the steps they
// share. The main window (app/TVQX_UpdateDlg) is one of these; it adds its
// start-up, the port list, the About box and the rover module dialog, which
// the procedures reach through the two calls at the end.

#include "app/Resource.h"
#include "serial/CRS232.h"
#include "ui/Dialog.h"
#include "update/PageFrames.h"
#include "update/ProgramServices.h"
#include "update/RadioLink.h"
#include "update/UpdateEvents.h"
#include "update/VariantTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tvqx {

constexpr UINT WM_BOOTLOADER_READY = WM_USER + 0x65;
constexpr UINT WM_BEGIN_UPDATE = WM_USER + 0x66;
constexpr UINT WM_PORT_HANDOVER = WM_APP + 0x65;
constexpr WPARAM PORT_HANDOVER_RELEASE = 1001;
constexpr WPARAM PORT_HANDOVER_RETURN = 1002;

class CUpdateWindow : public CDialog {
public:
    CUpdateWindow(const DialogTemplate& layout, ProgramServices& services);
    ~CUpdateWindow() override;

    // Handlers.
    void OnBeginUpdate();
    void OnTimer(UINT_PTR id);
    LRESULT OnBootLoaderReady(WPARAM, LPARAM);
    LRESULT OnBeginUpdateMessage(WPARAM, LPARAM);

    // Firmware files.
    int CheckHexFile();
    int ConvertHexToImage();
    void DeleteImageFile();

    // Update procedures shared by every variant.
    void RunPageUpdate();
    void SendPageImage();
    void WaitMs(uint32_t ms);
    void FinishTransfer();
    void BorrowPortFromTestProgram(int portNumber);
    void ReturnPortToTestProgram();

    // The other variants' procedures, chosen by the variant table
    // (update/VariantTable.cpp).
    void BeginUpdateVariant1();
    void BeginUpdateVariant2();
    void BeginUpdateVariant3();
    void BeginUpdateVariant4();
    void BeginUpdateVariant5();
    void BeginUpdateVariant6();
    void SendPageImageVariant4();
    void SendPageImageVariant5();
    void SendHexRows();

    // The window waits for the unit's boot loader to wake, and "Cancel
    // Update" would end that wait.
    bool IsWaitingForUnit() const { return m_waitingForBootLoader == 1 && m_bootLoaderAwake == 0; }
    // The window is back where its user left it before "Begin Update": no
    // procedure runs or waits for the unit, the port is closed and nothing
    // borrowed, and Done, "Refresh Serial Ports", "Contact Info" and the
    // system menu's Close and About are offered again. "Begin Update" itself
    // stays disabled after a run that found the firmware files unusable.
    bool IsAtRest() const;

    // What the window holds for the procedures.
    CRS232 m_port;
    std::string m_programDir;
    std::string m_tempDir;
    std::string m_hexFileName;
    std::string m_wakePrompt;
    int32_t m_hexRowCount = 0;
    uint32_t m_rowPauseMs = 0;
    // The wake-up wait's state, and the port borrowed from the serial test
    // program (-1: none).
    int32_t m_waitingForBootLoader = 0;
    int32_t m_bootLoaderAwake = 0;
    int32_t m_borrowedPort = -1;

protected:
    // The port list's buttons, enabled for the ports that are present.
    virtual void EnablePortButtons() = 0;
    // The remote unit's parameters from the user, while the remote unit's
    // line is read from `port`; nothing when the user cancelled.
    virtual std::optional<RemoteUnit> AskForRemoteUnit(CRS232& port) = 0;
    // The run's events: whoever watches the window hears them.
    UpdateObserver& Events();
    // Greys or enables the system menu's Close and About items.
    void EnableCloseAndAbout(bool enable);

    ProgramServices& m_services;
    uint32_t m_blinkTick = 0;
    int32_t m_blinkOn = 0;
    // Why the run is ending, when more than its message says: set where a
    // port or file is refused, taken by EndRun.
    RunCause m_runCause = RunCause::None;
    // The page image as this run's conversion wrote it, held open (sharing
    // denied) until the transfer reads it or the run ends: from its
    // conversion to its last page, no other copy of the program can change
    // the image this run sends.
    std::optional<File> m_heldImage;

private:
    // Steps the procedures share.
    // The COM number of the checked port button.
    int ChosenPort() const;
    // Only the run's own port button stays enabled.
    void DisableOtherPorts(int portNumber);
    // The status lines a run writes start out empty.
    void ClearRunStatusLines();
    // Writes the run's port as the one to preselect next time.
    void SaveChosenPort();
    // Two 0xFF bytes: the boot loader's "no more pages".
    void SendEndMarker();
    // The boot loader's entry command, a pause, its version answer (shown
    // in the window once accepted) and its ready byte, on the open port.
    enum class Greeting { Ready, NoVersion, InvalidVersion, NoReady, InvalidReady };
    Greeting GreetOnOpenPort(uint32_t afterEntryMs, uint32_t readyTimeoutMs, uint8_t readyByte);
    // The build's entry in the variant table; null for a variant without one.
    const VariantEntry* Variant() const;
    // Tells how the run ended, with its port and the cause on record; the
    // first ending of a run is the one told.
    void EndRun(RunOutcome outcome);
    // Removes the page image if the variant table says this is when.
    void EndImageLife(ImageMoment moment);
    // The run's page image, held until it is closed; a refusal because
    // another copy holds it is put on record.
    std::optional<PageImage> LoadPageImageForRun(size_t pageSize);
    PagesOutcome SendPages(const std::vector<uint8_t>& image, const PageTransferSettings& settings);
    void SendPageImageInTwoPhases(int variant);
    // The waiting variants: "Begin Update" opens the port and arms the
    // wake-up wait; "Cancel Update" undoes it.
    bool StartWakeUpWait(bool sendStartCommand);
    void BeginPageUpdateWait(bool sendStartCommand);   // variants 4 and 5
    void CancelWakeUpWait();
    void LockWindowForWait(int portNumber);
    void UnlockWindowAfterWait();
    // Opens COMn, asking the serial test program for it once if it is held.
    bool OpenPortBorrowingOnce(int portNumber, int baud);
    // The row and 256-byte page transfers: the check of the HEX file, the
    // entry command, the version and the ready byte on the open port. False
    // when the transfer has ended there (and said why).
    bool GreetBootLoader(uint32_t beforeEntryMs, uint32_t afterEntryMs, uint8_t readyByte);
    // Their endings.
    void FailTransfer(const std::string& message);
    void SucceedTransfer();
    // The radio variants, 3 and 6: the gateway search, the link set-up and
    // the transfer through it.
    void RunRadioLinkUpdate(const RadioLinkVariant& variant);
    // Opens COMn at each of the gateway's speeds in turn until the gateway
    // answers; that speed, with the port left open there, or 0 when the
    // search has ended (and said why).
    int FindGateway(const RadioLinkVariant& variant, int portNumber);
    // A run after the gateway was found ends here when it fails; the port
    // is closed already.
    void ReportRadioFailure(const std::string& resultText, const std::string& boxText);

    // True while an update runs; "Begin Update" does nothing then.
    bool m_updateRunning = false;
    // Between "Begin Update" and the end of its run, which is told once.
    bool m_runOpen = false;
    int m_runPort = 0;
};

} // namespace tvqx
