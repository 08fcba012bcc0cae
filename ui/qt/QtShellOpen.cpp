#include "ui/qt/QtShellOpen.h"

#include <QDesktopServices>

namespace tvqx {

QUrl QtShellOpen::UrlFor(const std::string& target)
{
    const QString text = QString::fromStdString(target);
    // A scheme is letters, digits, '+', '-' or '.' before a colon, starting
    // with a letter; a path ("/home/...", "docs/manual.pdf") has none.
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    bool scheme = colon > 1 && text[0].isLetter();
    for (qsizetype i = 0; scheme && i < colon; ++i) {
        const QChar c = text[i];
        scheme = c.isLetterOrNumber() || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('.');
    }
    if (scheme)
        return QUrl(text, QUrl::TolerantMode);
    return QUrl::fromLocalFile(text);
}

bool QtShellOpen::Open(const std::string& target)
{
    if (target.empty())
        return false;
    return QDesktopServices::openUrl(UrlFor(target));
}

} // namespace tvqx
