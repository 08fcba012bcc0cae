#pragma once
// The radio variants reach the unit through a radio gateway on the COM port.
// What tells the two apart, and the exchanges with the gateway that do not
// need the window: its radio set-up frames and the configuration of both
// ends of the link.

#include "platform/TickClock.h"
#include "serial/CRS232.h"

#include <cstdint>
#include <span>

namespace tvqx {

struct RadioLinkVariant {
    // The byte that asks the remote unit's boot loader whether it hears us
    // over the link, and its answer.
    uint8_t probe;
    uint8_t probeAnswer;
    // What the gateway models this variant works with answer to "<V".
    std::span<const char* const> gatewayAnswers;
    // The newer gateway: its radio's channel is set as well, it is readied
    // for the set-up through its radio's own command mode, and its answers
    // to "CH" and "ID" must be whole frames.
    // (Whether the firmware goes over the link as pages or rows is the
    // variant table's affair.)
    bool newerGateway;
};

const RadioLinkVariant& RadioLinkVariant3();
const RadioLinkVariant& RadioLinkVariant6();

// The remote unit as the rover module dialog hands it over.
struct RemoteUnit {
    char moduleId = 0;
    uint32_t serialHigh = 0;
    uint32_t serialLow = 0;
    uint16_t panId = 0;
    uint8_t rfChannel = 0;
};

// The gateway's line speeds, in the order the search tries them.
inline constexpr int kGatewaySpeeds[] = {9600, 57600, 14400, 19200, 38400, 115200};

// Six ESC bring the gateway back to its command mode from wherever it is.
void SendSixEscapes(CRS232& port);

// Readies the gateway for the remote unit's parameter line and the
// configuration, once the remote unit's boot loader did not answer.
void PrepareGatewayForSetup(CRS232& port, TickClock& clock, const RadioLinkVariant& variant);

// "<RP" and the API frames that give the gateway's radio its fixed PAN ID
// (the channel too where the variant sets it) and put it in transparent
// mode, so that it relays bytes to the remote unit; then whatever the
// gateway said meanwhile is dropped.
void SetUpGatewayRadio(CRS232& port, TickClock& clock, const RadioLinkVariant& variant);

// A command response frame as the gateway (or through it the remote unit)
// answers: `received` bytes of the `length` (9 or 13) asked for. `letters`
// null: the parameter letters are not compared (the serial number reads).
// `wholeFrame`: fewer than `length` bytes fail even when the rest is right.
bool IsGoodResponseFrame(const uint8_t* frame, int received, int length, const char* letters, bool wholeFrame);

// Tells the gateway's radio and the remote unit each other's serial number
// and the remote unit's PAN ID (and channel), then sets the gateway's radio
// up again. False at the first answer that is wrong or missing; the link is
// then left partly configured.
bool ConfigureLinkEnds(CRS232& port, TickClock& clock, const RadioLinkVariant& variant, const RemoteUnit& remote);

} // namespace tvqx
