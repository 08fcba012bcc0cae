#pragma once
// The application icon: a circuit board chip with an arrow coming down onto
// it, drawn at the two sizes a window needs (32 x 32 and 16 x 16).

#include <QIcon>

namespace tvqx {

QIcon ApplicationIcon();

} // namespace tvqx
