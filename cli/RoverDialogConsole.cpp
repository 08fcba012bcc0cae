#include "cli/RoverDialogConsole.h"

#include "app/ProductInfo.h"
#include "app/Resource.h"
#include "cli/UpdateRun.h"

namespace tvqx::cli {

std::string RoverParametersLine(const CDialog& dialog)
{
    return "Rover Module ID " + dialog.GetDlgItemText(IDC_ROVER_MODULE_ID) + ", network S/N " +
           dialog.GetDlgItemText(IDC_NETWORK_SN) + ", PAN ID " + dialog.GetDlgItemText(IDC_PAN_ID) +
           ", RF channel " + dialog.GetDlgItemText(IDC_RF_CHANNEL);
}

RoverDialogEnd OperateRoverDialog(HeadlessBackend& ui, CRover_Module_ID_Dlg& dialog, std::ostream& out,
                                  const std::function<bool()>& cancelRequested)
{
    // The dialog blinks its prompt; the console shows it once, with the
    // way out.
    out << dialog.GetDlgItemText(IDC_PARAM_INSTRUCTIONS) << "\n\n"
        << product::kRoverSetupPrompt << "\n"
        << kCancelHint << "\n"
        << std::flush;
    while (!dialog.HasEnded()) {
        // A stop asked for as the parameters come in still stops.
        if (cancelRequested && cancelRequested()) {
            ui.Click(dialog, IDCANCEL);
            return RoverDialogEnd::Cancelled;
        }
        if (dialog.IsDlgItemEnabled(IDC_START_UPDATE)) {
            out << RoverParametersLine(dialog) << "\n" << std::flush;
            ui.Click(dialog, IDC_START_UPDATE);
            return RoverDialogEnd::Started;
        }
        if (!ui.PumpMessage())
            break;
    }
    if (!dialog.HasEnded())
        ui.Click(dialog, IDCANCEL);
    return RoverDialogEnd::Closed;
}

void FollowRoverDialog(const CDialog& dialog, int controlIndex, std::ostream& out)
{
    const auto& controls = dialog.Template().controls;
    if (controlIndex < 0 || static_cast<size_t>(controlIndex) >= controls.size() ||
        controls[static_cast<size_t>(controlIndex)].id != IDC_PARAM_STATUS)
        return;
    const std::string status = dialog.GetDlgItemText(IDC_PARAM_STATUS);
    if (!status.empty())
        out << status << "\n" << std::flush;
}

} // namespace tvqx::cli
