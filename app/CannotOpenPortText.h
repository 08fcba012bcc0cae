#pragma once
// The procedures tell that the port would not open in one of two texts
// (they differ only in blanks). The front ends recognise them to add what
// only the system knows: why the port would not open.

#include <string>

namespace tvqx {

// n when `text` is exactly a procedure's message that COMn would not open;
// 0 for any other text.
int PortOfCannotOpenText(const std::string& text);

} // namespace tvqx
