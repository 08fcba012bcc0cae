#pragma once
// The rover module dialog in a console run. The window asks for the remote
// unit's parameters while "Begin Update" runs; on the console the user
// presses the remote unit's Setup button as the printed instructions say,
// the dialog reads the unit's line from the port on its timer, and the
// parameters, once they came, are taken at once (Start Update). Ctrl-C is
// "Cancel Update".

#include "app/RoverModuleDlg.h"
#include "ui/headless/HeadlessBackend.h"

#include <functional>
#include <ostream>
#include <string>

namespace tvqx::cli {

// "Rover Module ID 7, network S/N 00A4B512 7C3E9D01, PAN ID 3332, RF channel
// 0C", from the dialog's four parameter fields.
std::string RoverParametersLine(const CDialog& dialog);

enum class RoverDialogEnd {
    Started,     // Start Update was pressed with the parameters received
    Cancelled,   // the user asked to stop: Cancel Update was pressed
    Closed,      // nothing could ever arrive any more: the dialog was closed
};

// Runs the open dialog (its modal loop has started) until it ends. Prints
// its instructions and prompt once. `cancelRequested` is polled between the
// dialog's messages.
RoverDialogEnd OperateRoverDialog(HeadlessBackend& ui, CRover_Module_ID_Dlg& dialog, std::ostream& out,
                                  const std::function<bool()>& cancelRequested);

// A control of the dialog changed: every line the remote unit sends gets
// its verdict in the status line, and each one is printed.
void FollowRoverDialog(const CDialog& dialog, int controlIndex, std::ostream& out);

} // namespace tvqx::cli
