#include "firmware/DescriptionFile.h"

#include "platform/File.h"

namespace tvqx {

DescriptionFileContent ReadDescriptionFile(const std::string& path)
{
    DescriptionFileContent content;
    auto file = File::OpenRead(path, &content.heldElsewhere);
    if (!file)
        return content;
    content.opened = true;

    if (file->ReadString(content.firmwareVersion) && file->ReadString(content.hexFileName)) {
        content.complete = true;
        // The option code is read so that the file is consumed as far as it
        // was ever meant to be; no code is defined, so it changes nothing.
        std::string optionCode;
        file->ReadString(optionCode);
    } else {
        content.firmwareVersion.clear();
        content.hexFileName.clear();
    }
    file->Close();
    return content;
}

} // namespace tvqx
