#pragma once
// The application icon: a circuit board chip with an arrow coming down onto
// it. The window gets it at the two sizes it needs (32 x 32 and 16 x 16); the
// desktop's menus get it from the package at every size they ask for.

#include <QIcon>
#include <QPixmap>

namespace tvqx {

QIcon ApplicationIcon();

// The picture at size x size pixels, drawn for that size rather than scaled.
QPixmap ApplicationIconPixmap(int size);

} // namespace tvqx
