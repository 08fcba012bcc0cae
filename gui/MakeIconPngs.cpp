// Draws the application icon into the desktop's icon theme layout, one PNG
// per size the menus and launchers ask for, each drawn for its size from the
// same picture as the window's icon:
//
//   tvqx-icon-pngs DIR
//
// writes DIR/<n>x<n>/apps/tvqx-update.png for n = 16, 24, 32, 48, 64, 128
// and 256 (DIR is then installed as share/icons/hicolor). It runs at build
// time, without a display: Qt's offscreen platform is enough to paint.

#include "gui/AppIcon.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tvqx-icon-pngs DIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString file = dir + QStringLiteral("/tvqx-update.png");
        if (!QDir().mkpath(dir) || !tvqx::ApplicationIconPixmap(size).save(file, "PNG")) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
