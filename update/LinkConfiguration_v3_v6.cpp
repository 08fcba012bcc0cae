// The gateway's radio set-up and the configuration of both ends of the radio
// link: the gateway's radio learns the remote unit's serial number and PAN ID,
// the remote unit learns the gateway's serial number, each step answered by a
// command response frame.

#include "app/ProductInfo.h"
#include "update/RadioLink.h"

#include <array>
#include <cstring>

namespace tvqx {

namespace {

constexpr uint8_t kEscape = 0x1B;
constexpr int kEscapeCount = 6;

// The API frames for the gateway's radio, sent exactly as stored: PAN ID
// 0xD1D3, channel 0x0E, API mode 0 (transparent).
constexpr uint8_t kPanIdFrame[] = {0x7E, 0x00, 0x06, 0x08, 0x52, 0x49, 0x44, 0xD1, 0xD3, 0x74};
constexpr uint8_t kChannelFrame[] = {0x7E, 0x00, 0x05, 0x08, 0x52, 0x43, 0x48, 0x0E, 0x0C};
constexpr uint8_t kApiModeFrame[] = {0x7E, 0x00, 0x05, 0x08, 0x52, 0x41, 0x50, 0x00, 0x14};
constexpr uint32_t kAfterSetupFramesMs = 500;

// Command response frames.
constexpr uint8_t kFrameStart = 0x7E;
constexpr uint8_t kCommandResponse = 0x88;
constexpr int kTypeByte = 3;
constexpr int kLettersByte = 5;
constexpr int kStatusByte = 7;
constexpr int kValueByte = 8;
constexpr int kSetAnswerLength = 9;
constexpr int kReadAnswerLength = 13;
constexpr uint32_t kAnswerIdleMs = 3000;

// The remote unit's answer to "I": its module ID on a line.
constexpr int kModuleIdMaxChars = 15;
constexpr uint32_t kModuleIdIdleMs = 500;
// The remote unit takes its new settings after "#:Z"; what it says meanwhile
// is not an answer to anything.
constexpr uint32_t kAfterApplyMs = 200;

using Quad = std::array<uint8_t, 4>;

Quad BigEndian(uint32_t value)
{
    return {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value)};
}

} // namespace

const RadioLinkVariant& RadioLinkVariant3()
{
    static const RadioLinkVariant variant{0x80, 0x90, product::kGatewayAnswersVariant3, false};
    return variant;
}

const RadioLinkVariant& RadioLinkVariant6()
{
    static const RadioLinkVariant variant{0xC0, 0xD0, product::kGatewayAnswersVariant6, true};
    return variant;
}

void SendSixEscapes(CRS232& port)
{
    for (int i = 0; i < kEscapeCount; ++i)
        port.WriteByte(kEscape);
}

void PrepareGatewayForSetup(CRS232& port, TickClock& clock, const RadioLinkVariant& variant)
{
    if (!variant.newerGateway) {
        SpinFor(clock, 500);
        SendSixEscapes(port);
        port.WriteString("<W");
        SpinFor(clock, 2500);
        return;
    }
    // The radio's command mode wants a second of silence on either side of
    // "+++".
    SpinFor(clock, 1500);
    port.WriteString("+++");
    SpinFor(clock, 1500);
    port.WriteString("ATAP2\r");
    SpinFor(clock, 100);
    port.WriteString("ATCH0e\r");
    SpinFor(clock, 100);
    port.WriteString("ATCN\r");
    SpinFor(clock, 500);
    SendSixEscapes(port);
    port.PurgeInput();
}

void SetUpGatewayRadio(CRS232& port, TickClock& clock, const RadioLinkVariant& variant)
{
    port.WriteString("<RP");
    port.WriteBuffer(kPanIdFrame, sizeof kPanIdFrame);
    if (variant.newerGateway)
        port.WriteBuffer(kChannelFrame, sizeof kChannelFrame);
    port.WriteBuffer(kApiModeFrame, sizeof kApiModeFrame);
    SpinFor(clock, kAfterSetupFramesMs);
    port.PurgeInput();
}

bool IsGoodResponseFrame(const uint8_t* frame, int received, int length, const char* letters, bool wholeFrame)
{
    // Everything but the checksum is looked at, so only the checksum may be
    // missing, and not even that from a whole frame.
    if (received < (wholeFrame ? length : length - 1))
        return false;
    if (frame[0] != kFrameStart || frame[kTypeByte] != kCommandResponse || frame[kStatusByte] != 0)
        return false;
    return letters == nullptr || std::memcmp(frame + kLettersByte, letters, 2) == 0;
}

bool ConfigureLinkEnds(CRS232& port, TickClock& clock, const RadioLinkVariant& variant, const RemoteUnit& remote)
{
    // The newer gateway's own "CH" and "ID" answers must be whole frames.
    const bool wholeFrames = variant.newerGateway;
    auto setAnswer = [&](const char* letters, bool wholeFrame) {
        uint8_t frame[kSetAnswerLength] = {};
        const int received = port.ReadCount(frame, kSetAnswerLength, kAnswerIdleMs);
        return IsGoodResponseFrame(frame, received, kSetAnswerLength, letters, wholeFrame);
    };
    auto readSerialHalf = [&](const char* command, Quad& half) {
        port.WriteString(command);
        uint8_t frame[kReadAnswerLength] = {};
        const int received = port.ReadCount(frame, kReadAnswerLength, kAnswerIdleMs);
        if (!IsGoodResponseFrame(frame, received, kReadAnswerLength, nullptr, false))
            return false;
        std::memcpy(half.data(), frame + kValueByte, half.size());
        return true;
    };
    // A payload for the remote unit, carried over the radio by the gateway.
    auto toRemote = [&](const char* payload) {
        port.WriteString("<@:P");
        port.WriteString(payload);
    };

    port.WriteString("<RS");

    if (variant.newerGateway) {
        port.WriteString("<@:S03CH");
        port.WriteByte(remote.rfChannel);
        if (!setAnswer("CH", wholeFrames))
            return false;
    }
    const uint8_t panId[2] = {static_cast<uint8_t>(remote.panId >> 8), static_cast<uint8_t>(remote.panId)};
    port.WriteString("<@:S04ID");
    port.WriteBuffer(panId, sizeof panId);
    if (!setAnswer("ID", wholeFrames))
        return false;

    // The unit that answers must be the one the user chose.
    toRemote("01I");
    char moduleId[kModuleIdMaxChars + 1] = {};
    const int idChars = port.ReadUntil(moduleId, kModuleIdMaxChars, kModuleIdIdleMs, '\r');
    if (idChars != 1 || moduleId[0] != remote.moduleId)
        return false;

    Quad gatewayHigh{};
    Quad gatewayLow{};
    if (!readSerialHalf("<@:ISH", gatewayHigh) || !readSerialHalf("<@:ISL", gatewayLow))
        return false;

    toRemote("11#:C06DH");
    port.WriteBuffer(gatewayHigh.data(), static_cast<int>(gatewayHigh.size()));
    if (!setAnswer("DH", false))
        return false;
    toRemote("11#:C06DL");
    port.WriteBuffer(gatewayLow.data(), static_cast<int>(gatewayLow.size()));
    if (!setAnswer("DL", false))
        return false;

    const Quad remoteHigh = BigEndian(remote.serialHigh);
    const Quad remoteLow = BigEndian(remote.serialLow);
    port.WriteString("<@:S06DH");
    port.WriteBuffer(remoteHigh.data(), static_cast<int>(remoteHigh.size()));
    if (!setAnswer("DH", false))
        return false;
    port.WriteString("<@:S06DL");
    port.WriteBuffer(remoteLow.data(), static_cast<int>(remoteLow.size()));
    if (!setAnswer("DL", false))
        return false;

    toRemote("03#:Z");
    SpinFor(clock, kAfterApplyMs);
    port.PurgeInput();

    SetUpGatewayRadio(port, clock, variant);
    return true;
}

} // namespace tvqx
