#pragma once
// Opens mail addresses, web addresses and local files with the user's
// preferred programs, through the desktop's URL handlers.

#include "platform/ShellOpen.h"

#include <QUrl>

namespace tvqx {

class QtShellOpen final : public ShellOpen {
public:
    bool Open(const std::string& target) override;

    // What a target means: a URL when it names a scheme ("mailto:...",
    // "http://..."), otherwise a local path.
    static QUrl UrlFor(const std::string& target);
};

} // namespace tvqx
