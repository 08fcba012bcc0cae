#include "sim/pty/DeviceWatch.h"

#include "sim/pty/ApplicationWatch.h"
#include "sim/pty/BootLoaderWatch.h"
#include "sim/pty/RadioWatch.h"
#include "sim/pty/RowWatch.h"
#include "sim/pty/WakeUpWatch.h"

namespace tvqx::sim {

std::string VersionAnswerLine(const std::optional<std::string>& text, const std::vector<AnswerPiece>& pieces,
                              uint32_t responseDelayMs)
{
    std::string line = "version answered: " + ShowText(text.value_or(kBootVersion) + "\r");
    if (!pieces.empty())
        line += " in " + std::to_string(pieces.size()) + " pieces";
    if (responseDelayMs)
        line += ", " + std::to_string(responseDelayMs) + " ms late";
    return line;
}

std::unique_ptr<DeviceWatch> MakeDeviceWatch(const VariantDevice& device, DevsimTrace& trace)
{
    std::unique_ptr<DeviceWatch> watch;
    if (device.rowLoader)
        watch = std::make_unique<RowWatch>(*device.rowLoader, trace);
    else
        watch = std::make_unique<BootLoaderWatch>(*device.pageLoader, trace);
    if (device.application)
        watch = std::make_unique<ApplicationWatch>(*device.application, trace, std::move(watch));
    if (device.wakeUp)
        watch = std::make_unique<WakeUpWatch>(*device.wakeUp, trace, std::move(watch));
    if (device.gateway)
        watch = std::make_unique<RadioWatch>(*device.gateway, *device.rover,
                                             device.rowLoader ? device.rowLoader->Received()
                                                              : device.pageLoader->Received(),
                                             trace, std::move(watch));
    return watch;
}

} // namespace tvqx::sim
