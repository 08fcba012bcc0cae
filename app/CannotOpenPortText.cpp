#include "app/CannotOpenPortText.h"

#include "update/PageUpdateTexts.h"
#include "update/RowUpdateTexts.h"

namespace tvqx {

int PortOfCannotOpenText(const std::string& text)
{
    for (const char* format : {texts::kCannotOpenPort, texts::kCannotOpenPortWide})
        for (int port = 1; port <= 22; ++port)
            if (text == texts::FormatText(format, port))
                return port;
    return 0;
}

} // namespace tvqx
