#include "sim/VariantDevices.h"

#include <initializer_list>
#include <stdexcept>
#include <utility>

namespace tvqx::sim {

namespace {

constexpr uint32_t kVariant1WakeBaud = 115200;
constexpr uint32_t kPageWakeBaud = 9600;

const char* NameOf(const RadioGateway& gateway)
{
    switch (gateway.CurrentStage()) {
    case RadioGateway::Stage::Searching: return "searching";
    case RadioGateway::Stage::Setup: return gateway.LinkUp() ? "linked" : "setup";
    case RadioGateway::Stage::Configuring: return gateway.LinkUp() ? "linked" : "configuring";
    }
    return "?";
}

const char* NameOf(const WakeUpFront& front)
{
    switch (front.CurrentStage()) {
    case WakeUpFront::Stage::Off: return "off";
    case WakeUpFront::Stage::AwaitingStartCommand: return "waiting for the start command";
    case WakeUpFront::Stage::AwaitingPolls: return "waiting for polls";
    case WakeUpFront::Stage::Awake: return "awake";
    }
    return "?";
}

const char* NameOf(const ApplicationFront& front)
{
    switch (front.CurrentStage()) {
    case ApplicationFront::Stage::Off: return "off";
    case ApplicationFront::Stage::Application: return "application running";
    case ApplicationFront::Stage::HandingOver: return "handing over to the boot loader";
    case ApplicationFront::Stage::BootLoader: return "boot loader";
    }
    return "?";
}

// The boot loaders differ only in what they take and in how they fall silent.
const char* NameOf(const BootLoaderDevice& loader, const char* receiving, const char* silent)
{
    switch (loader.CurrentStage()) {
    case BootLoaderDevice::Stage::Off: return "off";
    case BootLoaderDevice::Stage::AwaitingEntry: return "waiting for the entry command";
    case BootLoaderDevice::Stage::Receiving: return receiving;
    case BootLoaderDevice::Stage::Done: return "done";
    case BootLoaderDevice::Stage::Silent: return silent;
    }
    return "?";
}

const char* NameOf(const RowBootLoader& loader) { return NameOf(loader, "receiving rows", "dead"); }
const char* NameOf(const PageBootLoader& loader) { return NameOf(loader, "receiving pages", "hung"); }

// The speed each part talks at. The radio's line ends at the gateway,
// whoever is talking behind it.
uint32_t BaudOf(const RadioGateway& gateway) { return gateway.Options().gatewayBaud; }
uint32_t BaudOf(const WakeUpFront& front) { return front.Options().baud; }
uint32_t BaudOf(const ApplicationFront&) { return kApplicationBaud; }
uint32_t BaudOf(const RowBootLoader&) { return kRowBootBaud; }
uint32_t BaudOf(const PageBootLoader&) { return kBootBaud; }

// Hands `visit` the outermost of the device's parts, the one the serial line
// leads to; with `talking`, the outermost that has not yet handed the line
// to the part behind it.
template <typename Visit>
decltype(auto) Part(const VariantDevice& device, bool talking, Visit visit)
{
    if (device.gateway && !(talking && device.rover->InnerSpoken()))
        return visit(*device.gateway);
    if (device.wakeUp && !(talking && device.wakeUp->CurrentStage() == WakeUpFront::Stage::Awake))
        return visit(*device.wakeUp);
    if (device.application
        && !(talking && device.application->CurrentStage() == ApplicationFront::Stage::BootLoader))
        return visit(*device.application);
    if (device.rowLoader)
        return visit(*device.rowLoader);
    return visit(*device.pageLoader);
}

} // namespace

SimDevice& VariantDevice::Line()
{
    return const_cast<SimDevice&>(std::as_const(*this).Line());
}

const SimDevice& VariantDevice::Line() const
{
    return Part(*this, false, [](const auto& part) -> const SimDevice& { return part; });
}

const std::vector<uint8_t>& VariantDevice::Flash() const
{
    return rowLoader ? rowLoader->Flash() : pageLoader->Flash();
}

const std::vector<ReceivedByte>& VariantDevice::Received() const
{
    return Part(*this, false, [](const auto& part) -> const std::vector<ReceivedByte>& { return part.Received(); });
}

const std::vector<PowerEvent>& VariantDevice::PowerEvents() const
{
    return Part(*this, false, [](const auto& part) -> const std::vector<PowerEvent>& { return part.PowerEvents(); });
}

bool VariantDevice::UpdateComplete() const
{
    return rowLoader ? rowLoader->UpdateComplete() : pageLoader->EndMarkerReceived();
}

size_t VariantDevice::BlocksReceived() const
{
    return rowLoader ? rowLoader->RowsReceived().size() : pageLoader->PagesReceived().size();
}

std::string VariantDevice::StageName() const
{
    return Part(*this, true, [](const auto& part) { return std::string(NameOf(part)); });
}

uint32_t VariantDevice::TalkingBaud() const
{
    return gateway ? BaudOf(*gateway) : Part(*this, true, [](const auto& part) { return BaudOf(part); });
}

void VariantDevice::SetTraceSink(TraceSink* sink)
{
    for (SimDevice* part : std::initializer_list<SimDevice*>{rowLoader.get(), pageLoader.get(), wakeUp.get(),
                                                             application.get(), rover.get(), gateway.get()})
        if (part)
            part->SetTraceSink(sink);
}

void VariantDevice::PressSetupButton(uint64_t nowMs)
{
    if (rover)
        rover->PressSetupButton(nowMs);
}

bool HasDeviceForVariant(int variant)
{
    return variant == 1 || variant == 2 || variant == 3 || variant == 4 || variant == 5 || variant == 6
        || variant == 10;
}

VariantDevice MakeDeviceForVariant(int variant, VariantDeviceFaults faults)
{
    if (!HasDeviceForVariant(variant))
        throw std::invalid_argument("no simulated device for update variant " + std::to_string(variant));
    VariantDevice device;
    device.variant = variant;
    switch (variant) {
    case 1:
        device.rowLoader = std::make_unique<RowBootLoader>(std::move(faults.rows));
        faults.wakeUp.baud = kVariant1WakeBaud;
        device.wakeUp = std::make_unique<WakeUpFront>(*device.rowLoader, std::move(faults.wakeUp));
        break;
    case 2:
        device.rowLoader = std::make_unique<RowBootLoader>(std::move(faults.rows));
        device.application =
            std::make_unique<ApplicationFront>(*device.rowLoader, std::move(faults.application));
        break;
    case 3:
        device.rowLoader = std::make_unique<RowBootLoader>(std::move(faults.rows));
        device.rover = std::make_unique<RoverUnit>(*device.rowLoader, kRowBootBaud, variant, faults.radio);
        device.gateway = std::make_unique<RadioGateway>(*device.rover, variant, std::move(faults.radio));
        break;
    case 6:
        device.pageLoader = std::make_unique<PageBootLoader>(std::move(faults.pages), kBootLargePageSize);
        device.rover = std::make_unique<RoverUnit>(*device.pageLoader, kBootBaud, variant, faults.radio);
        device.gateway = std::make_unique<RadioGateway>(*device.rover, variant, std::move(faults.radio));
        break;
    case 4:
    case 5:
        device.pageLoader = std::make_unique<PageBootLoader>(std::move(faults.pages), kBootLargePageSize);
        faults.wakeUp.baud = kPageWakeBaud;
        faults.wakeUp.requireStartCommand = faults.wakeUp.requireStartCommand || variant == 5;
        device.wakeUp = std::make_unique<WakeUpFront>(*device.pageLoader, std::move(faults.wakeUp));
        break;
    default:
        device.pageLoader = std::make_unique<PageBootLoader>(std::move(faults.pages));
        break;
    }
    return device;
}

} // namespace tvqx::sim
