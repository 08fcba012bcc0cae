#pragma once
// The program's dialog layouts.

#include "ui/DialogTemplate.h"

namespace tvqx {

const DialogTemplate& MainWindowTemplate();   // dialog 102
const DialogTemplate& AboutBoxTemplate();     // dialog 100
const DialogTemplate& RoverModuleTemplate();  // dialog 134

} // namespace tvqx
