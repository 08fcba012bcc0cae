#include "sim/VariantDevices.h"

#include <stdexcept>
#include <utility>

namespace tvqx::sim {

namespace {

constexpr uint32_t kVariant1WakeBaud = 115200;
constexpr uint32_t kPageWakeBaud = 9600;

const char* NameOf(RadioGateway::Stage stage)
{
    switch (stage) {
    case RadioGateway::Stage::Searching: return "searching";
    case RadioGateway::Stage::Setup: return "setup";
    case RadioGateway::Stage::Configuring: return "configuring";
    }
    return "?";
}

const char* NameOf(WakeUpFront::Stage stage)
{
    switch (stage) {
    case WakeUpFront::Stage::Off: return "off";
    case WakeUpFront::Stage::AwaitingStartCommand: return "waiting for the start command";
    case WakeUpFront::Stage::AwaitingPolls: return "waiting for polls";
    case WakeUpFront::Stage::Awake: return "awake";
    }
    return "?";
}

const char* NameOf(ApplicationFront::Stage stage)
{
    switch (stage) {
    case ApplicationFront::Stage::Off: return "off";
    case ApplicationFront::Stage::Application: return "application running";
    case ApplicationFront::Stage::HandingOver: return "handing over to the boot loader";
    case ApplicationFront::Stage::BootLoader: return "boot loader";
    }
    return "?";
}

const char* NameOf(RowBootLoader::Stage stage)
{
    switch (stage) {
    case RowBootLoader::Stage::Off: return "off";
    case RowBootLoader::Stage::AwaitingEntry: return "waiting for the entry command";
    case RowBootLoader::Stage::ReceivingRows: return "receiving rows";
    case RowBootLoader::Stage::Done: return "done";
    case RowBootLoader::Stage::Dead: return "dead";
    }
    return "?";
}

const char* NameOf(PageBootLoader::Stage stage)
{
    switch (stage) {
    case PageBootLoader::Stage::Off: return "off";
    case PageBootLoader::Stage::AwaitingEntry: return "waiting for the entry command";
    case PageBootLoader::Stage::ReceivingPages: return "receiving pages";
    case PageBootLoader::Stage::Done: return "done";
    case PageBootLoader::Stage::Hung: return "hung";
    }
    return "?";
}

} // namespace

SimDevice& VariantDevice::Line()
{
    return const_cast<SimDevice&>(std::as_const(*this).Line());
}

const SimDevice& VariantDevice::Line() const
{
    if (gateway)
        return *gateway;
    if (wakeUp)
        return *wakeUp;
    if (application)
        return *application;
    if (rowLoader)
        return *rowLoader;
    return *pageLoader;
}

const std::vector<uint8_t>& VariantDevice::Flash() const
{
    return rowLoader ? rowLoader->Flash() : pageLoader->Flash();
}

const std::vector<ReceivedByte>& VariantDevice::Received() const
{
    if (gateway)
        return gateway->Received();
    if (wakeUp)
        return wakeUp->Received();
    if (application)
        return application->Received();
    return rowLoader ? rowLoader->Received() : pageLoader->Received();
}

const std::vector<PowerEvent>& VariantDevice::PowerEvents() const
{
    if (gateway)
        return gateway->PowerEvents();
    return rowLoader ? rowLoader->PowerEvents() : pageLoader->PowerEvents();
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
    if (gateway && !rover->InnerSpoken()) {
        if (gateway->LinkUp() && gateway->CurrentStage() != RadioGateway::Stage::Searching)
            return "linked";
        return NameOf(gateway->CurrentStage());
    }
    if (wakeUp && wakeUp->CurrentStage() != WakeUpFront::Stage::Awake)
        return NameOf(wakeUp->CurrentStage());
    if (application && application->CurrentStage() != ApplicationFront::Stage::BootLoader)
        return NameOf(application->CurrentStage());
    return rowLoader ? NameOf(rowLoader->CurrentStage()) : NameOf(pageLoader->CurrentStage());
}

uint32_t VariantDevice::TalkingBaud() const
{
    if (gateway)
        return gateway->Options().gatewayBaud;
    if (wakeUp && wakeUp->CurrentStage() != WakeUpFront::Stage::Awake)
        return wakeUp->Options().baud;
    if (application && application->CurrentStage() != ApplicationFront::Stage::BootLoader)
        return kApplicationBaud;
    return rowLoader ? kRowBootBaud : kBootBaud;
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
