#include "FaultPlan.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace tvqx::campaign {

Dice::Dice(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

uint64_t Dice::Next()
{
    // splitmix64: every seed, even 0 or 1, starts a well-mixed sequence.
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::vector<uint8_t> PageImage(const std::vector<uint8_t>& firmware)
{
    std::vector<uint8_t> image = firmware;
    image.resize(std::max<size_t>(1, (firmware.size() + 255) / 256) * 256, 0xFF);
    return image;
}

size_t PageSizeOf(int variant) { return variant == 10 ? 128 : 256; }
bool IsRowVariant(int variant) { return variant == 1 || variant == 2 || variant == 3; }
bool IsWaitingVariant(int variant) { return variant == 1 || variant == 4 || variant == 5; }
bool IsRadioVariant(int variant) { return variant == 3 || variant == 6; }

bool RunPlan::Noisy() const
{
    return std::any_of(deviceFaults.begin(), deviceFaults.end(), [](const DeviceFault& f) { return f.noisy; });
}

size_t RunPlan::Blocks() const
{
    if (IsRowVariant(variant))
        return (firmware.size() + 15) / 16 + 1;   // 16 bytes a record, then the end record
    return PageImage(firmware).size() / PageSizeOf(variant);
}

std::string LineFaultName(const sim::LineFault& fault)
{
    using K = sim::LineFaultKind;
    const char* towards = fault.direction == sim::LineDirection::ToDevice ? " to device" : " to program";
    switch (fault.kind) {
    case K::Drop: return std::string("byte dropped") + towards;
    case K::Flip: return std::string("byte flipped") + towards;
    case K::Insert: return std::string("byte inserted") + towards;
    case K::Silent: return std::string("silent from a byte") + towards;
    case K::Late: return "answers late";
    case K::PowerLoss: return "power lost mid-transfer";
    }
    return "?";
}

namespace {

// Bytes the protocols give meaning to: noise made of them is the kind that
// can pass for an answer.
const std::vector<uint8_t> kMeaningful{'!', '@', '?', '~', 0x11, 0x13, 0x0D, 0xD0, 0x90, 0xFF};

uint8_t NoiseByte(Dice& dice)
{
    return dice.Percent(50) ? dice.Pick(kMeaningful) : dice.Byte();
}

std::vector<uint8_t> Noise(Dice& dice)
{
    std::vector<uint8_t> bytes(dice.Between(1, 3));
    for (uint8_t& b : bytes)
        b = NoiseByte(dice);
    return bytes;
}

// Rough byte counts of a run in each direction: before the transfer and of
// the transfer itself, so that faults land where the work is.
struct Traffic {
    size_t toDeviceBefore = 0, toDevice = 0;
    size_t toProgramBefore = 0, toProgram = 0;
};

Traffic EstimateTraffic(const RunPlan& plan)
{
    Traffic t;
    const size_t blocks = plan.Blocks();
    t.toDeviceBefore = 19;
    t.toProgramBefore = 14;
    if (IsRowVariant(plan.variant)) {
        t.toDevice = (blocks - 1) * 43 + 11;
        t.toProgram = blocks * 3;
    } else {
        t.toDevice = blocks * (PageSizeOf(plan.variant) + 3) + 2;
        t.toProgram = blocks + 1;
    }
    if (IsWaitingVariant(plan.variant)) {
        t.toDeviceBefore += plan.device.wakeUp.pollsBeforeWake + 4;
        t.toProgramBefore += 1;
    }
    if (plan.variant == 2) {
        t.toDeviceBefore += 4;
        t.toProgramBefore += 15;
    }
    if (IsRadioVariant(plan.variant)) {
        t.toDeviceBefore += 48 + 32 + (plan.device.radio.linkConfigured ? 0 : 200);
        t.toProgramBefore += 20 + (plan.device.radio.linkConfigured ? 0 : 120);
    }
    return t;
}

void AddLineFault(Dice& dice, RunPlan& plan, const Traffic& t)
{
    using K = sim::LineFaultKind;
    sim::LineFault f;
    f.kind = dice.OneOf<K>({K::Drop, K::Flip, K::Insert, K::Silent, K::Late, K::PowerLoss});
    f.direction = dice.Percent(60) ? sim::LineDirection::ToDevice : sim::LineDirection::ToProgram;
    if (f.kind == K::Late)
        f.direction = sim::LineDirection::ToProgram;
    const bool toDevice = f.direction == sim::LineDirection::ToDevice || f.kind == K::PowerLoss;
    const size_t before = toDevice ? t.toDeviceBefore : t.toProgramBefore;
    const size_t during = toDevice ? t.toDevice : t.toProgram;
    if (f.kind == K::PowerLoss)
        f.atByte = before + dice.Below(during);
    else
        f.atByte = dice.Below((before + during) * 21 / 20 + 1);
    f.value = f.kind == K::Flip ? static_cast<uint8_t>(1u << dice.Below(8)) : NoiseByte(dice);
    if (f.kind == K::Flip && dice.Percent(30))
        f.value = static_cast<uint8_t>(dice.Between(1, 255));
    f.delayMs = dice.OneOf<uint32_t>({200, 800, 1500, 2500, 2990, 3010, 4000, 8000});
    plan.lineFaults.push_back(f);
}

uint64_t NoiseTime(Dice& dice) { return kRunStartMs + dice.Below(20'000); }

void AddPageFault(Dice& dice, RunPlan& plan)
{
    sim::PageBootLoaderFaults& p = plan.device.pages;
    const uint16_t page = static_cast<uint16_t>(dice.Below(plan.Blocks()));
    switch (dice.Below(12)) {
    case 0: p.responseDelayMs = dice.OneOf<uint32_t>({50, 500, 990, 1500, 2990, 3100, 5000});
            plan.deviceFaults.push_back({"page loader: slow answers"}); break;
    case 1: p.ignoreEntryCommand = true; plan.deviceFaults.push_back({"page loader: deaf to entry"}); break;
    case 2: p.versionText = dice.OneOf<std::string>({"TVQXR-1-4.01", "TVQXR-1-4.0", "TVQXR-1-4.000", "tvqxr-1-4.00"});
            plan.deviceFaults.push_back({"page loader: wrong version"}); break;
    case 3:
        for (int i = 0, n = static_cast<int>(dice.Between(2, 3)); i < n; ++i)
            p.versionPieces.push_back({dice.Between(1, 6), dice.OneOf<uint32_t>({100, 1000, 2500, 3500})});
        plan.deviceFaults.push_back({"page loader: version in pieces"});
        break;
    case 4: p.omitReady = true; plan.deviceFaults.push_back({"page loader: no ready byte"}); break;
    case 5: p.readyByte = static_cast<uint8_t>(dice.Byte() | 0x80); p.readyAfterWrongByte = dice.Percent(50);
            plan.deviceFaults.push_back({"page loader: wrong ready byte"}); break;
    case 6: p.readyDelayMs = dice.OneOf<uint32_t>({300, 990, 1010, 1990, 2010, 3000});
            plan.deviceFaults.push_back({"page loader: late ready byte"}); break;
    case 7: p.resendsForPage[page] = static_cast<unsigned>(dice.Between(1, 6));
            plan.deviceFaults.push_back({"page loader: resend requests"}); break;
    case 8: p.pageAnswerByte[page] = static_cast<uint8_t>(dice.Percent(30) ? '@' : (dice.Byte() | 0x80));
            plan.deviceFaults.push_back({"page loader: wrong page answer"}); break;
    case 9: p.hangAtPage = page; plan.deviceFaults.push_back({"page loader: hangs"}); break;
    case 10:
        if (dice.Percent(50))
            p.noiseAt.push_back({NoiseTime(dice), Noise(dice)});
        else
            p.noiseBeforeAnswer[dice.Below(plan.Blocks() + 3)] = Noise(dice);
        plan.deviceFaults.push_back({"page loader: noise", true});
        break;
    default:
        p.silentAfterEndMarker = dice.Percent(50);
        p.endMarkerAnswer = dice.Byte();
        plan.deviceFaults.push_back({"page loader: odd goodbye"});
        break;
    }
}

void AddRowFault(Dice& dice, RunPlan& plan)
{
    sim::RowBootLoaderFaults& r = plan.device.rows;
    const size_t row = dice.Below(plan.Blocks());
    const std::vector<std::vector<uint8_t>> replacements{{}, {0x15}, {'@', '@', '@'}, {dice.Byte()}};
    switch (dice.Below(12)) {
    case 0: r.responseDelayMs = dice.OneOf<uint32_t>({100, 1000, 1990, 2010, 3100});
            plan.deviceFaults.push_back({"row loader: slow answers"}); break;
    case 1: r.readyDelayMs = dice.OneOf<uint32_t>({500, 1990, 2010});
            plan.deviceFaults.push_back({"row loader: late ready"}); break;
    case 2: r.xonDelayMs = dice.OneOf<uint32_t>({5, 500, 1990, 2010});
            plan.deviceFaults.push_back({"row loader: late XON"}); break;
    case 3: r.rowWriteMs = dice.OneOf<uint32_t>({5, 500, 1990, 2010});
            plan.deviceFaults.push_back({"row loader: slow flash"}); break;
    case 4: r.ignoreEntryCommand = true; plan.deviceFaults.push_back({"row loader: deaf to entry"}); break;
    case 5: r.versionText = dice.OneOf<std::string>({"TVQXR-1-4.01", "TVQXR-1-4.0", "TVQXR-1-4.000"});
            plan.deviceFaults.push_back({"row loader: wrong version"}); break;
    case 6:
        for (int i = 0, n = static_cast<int>(dice.Between(2, 3)); i < n; ++i)
            r.versionPieces.push_back({dice.Between(1, 6), dice.OneOf<uint32_t>({100, 1000, 2500, 3500})});
        plan.deviceFaults.push_back({"row loader: version in pieces"});
        break;
    case 7:
        if (dice.Percent(50))
            r.omitReady = true;
        else
            r.readyByte = dice.Byte();
        plan.deviceFaults.push_back({"row loader: bad ready"});
        break;
    case 8: {
        using Replacements = std::map<size_t, std::vector<uint8_t>>;
        Replacements* which = dice.OneOf<Replacements*>({&r.xonFor, &r.xoffFor, &r.lineCompleteFor});
        (*which)[row] = dice.Pick(replacements);
        plan.deviceFaults.push_back({"row loader: bad flow control"});
        break;
    }
    case 9: r.fileCompleteAnswer = dice.Pick(replacements);
             plan.deviceFaults.push_back({"row loader: bad file complete"}); break;
    case 10: r.silentFrom = sim::RowPosition{row, dice.Below(44)};
             plan.deviceFaults.push_back({"row loader: dies mid-row"}); break;
    default: r.noiseAt.push_back({NoiseTime(dice), Noise(dice)});
             plan.deviceFaults.push_back({"row loader: noise", true}); break;
    }
}

void AddWakeFault(Dice& dice, RunPlan& plan)
{
    sim::WakeUpOptions& w = plan.device.wakeUp;
    switch (dice.Below(5)) {
    case 0: w.neverWakes = true; plan.deviceFaults.push_back({"wake-up: never wakes"}); break;
    case 1: w.wakeDelayMs = dice.OneOf<uint32_t>({100, 600, 3000});
            plan.deviceFaults.push_back({"wake-up: late"}); break;
    case 2: (dice.Percent(50) ? w.noiseBeforeWake : w.noiseAfterWake) = Noise(dice);
            plan.deviceFaults.push_back({"wake-up: noise around the wake byte", true}); break;
    case 3: (dice.Percent(50) ? w.pollAnswer : w.startCommandAnswer) = Noise(dice);
            plan.deviceFaults.push_back({"wake-up: chatter", true}); break;
    default: w.noiseAt.push_back({NoiseTime(dice), Noise(dice)});
             plan.deviceFaults.push_back({"wake-up: noise", true}); break;
    }
}

void AddApplicationFault(Dice& dice, RunPlan& plan)
{
    sim::ApplicationOptions& a = plan.device.application;
    switch (dice.Below(6)) {
    case 0: a.answerText = dice.OneOf<std::string>({"TVQXR-APP-4.13\r", "TVQXR-APP", "x"});
            plan.deviceFaults.push_back({"application: wrong answer"}); break;
    case 1: a.ignoreVersionRequest = true; plan.deviceFaults.push_back({"application: no answer"}); break;
    case 2: a.answerDelayMs = dice.OneOf<uint32_t>({500, 1990, 2100});
            plan.deviceFaults.push_back({"application: late answer"}); break;
    case 3: a.handOverDelayMs = dice.OneOf<uint32_t>({1000, 1990, 2100});
            plan.deviceFaults.push_back({"application: slow hand-over"}); break;
    case 4: a.dsrNeverDrops = true; plan.deviceFaults.push_back({"application: never hands over"}); break;
    default: a.noiseAt.push_back({NoiseTime(dice), Noise(dice)});
             plan.deviceFaults.push_back({"application: noise", true}); break;
    }
}

void AddRadioFault(Dice& dice, RunPlan& plan)
{
    sim::RadioOptions& r = plan.device.radio;
    switch (dice.Below(8)) {
    case 0: r.gatewayBaud = 4800; plan.deviceFaults.push_back({"radio: gateway at an unknown speed"}); break;
    case 1: r.gatewayAbsent = true; plan.deviceFaults.push_back({"radio: no gateway"}); break;
    case 2: r.relayDelayMs = dice.OneOf<uint32_t>({100, 300, 600});
            plan.deviceFaults.push_back({"radio: slow relay"}); break;
    case 3: {
        using F = sim::AnswerFault;
        const std::string param = dice.OneOf<std::string>({"CH", "ID", "SH", "SL", "DH", "DL", "rDH", "rDL"});
        r.answerFaults[param] = dice.OneOf<F>({F::Missing, F::Short, F::WrongType, F::BadStatus, F::WrongLetters});
        plan.deviceFaults.push_back({"radio: bad configuration answer"});
        break;
    }
    case 4: r.moduleIdAnswer.push_back('X'); plan.deviceFaults.push_back({"radio: wrong module id"}); break;
    case 5:
        if (dice.Percent(50))
            r.linkNeverUp = true;
        else
            r.probesAnswered = static_cast<int>(dice.Below(2));
        plan.deviceFaults.push_back({"radio: link never answers"});
        break;
    case 6: r.setupLine = "garbage without an end"; plan.deviceFaults.push_back({"radio: no parameter line"}); break;
    default: r.noiseAt.push_back({NoiseTime(dice), Noise(dice)});
             plan.deviceFaults.push_back({"radio: noise", true}); break;
    }
}

std::vector<uint8_t> DrawFirmware(Dice& dice)
{
    // Most images are a few pages; some are larger.
    const unsigned size = dice.Percent(80) ? static_cast<unsigned>(dice.Between(1, 1200))
                        : dice.Percent(85) ? static_cast<unsigned>(dice.Between(1201, 6000))
                                           : static_cast<unsigned>(dice.Between(6001, 20000));
    std::vector<uint8_t> firmware(size);
    for (uint8_t& b : firmware)
        b = dice.Byte();
    return firmware;
}

uint64_t Bound(const RunPlan& plan)
{
    // Every wait of the procedures is bounded; the sum of the worst cases,
    // doubled, with room for the user's patience and the radio set-up.
    const uint64_t perBlock = IsRowVariant(plan.variant) ? 3 * 2000 + 100 : 5 * (3000 + 60);
    const uint64_t radio = IsRadioVariant(plan.variant) ? 6 * 2600 + 20 * 3100 + 10'000 : 0;
    return 2 * (15'000 + radio + plan.Blocks() * perBlock) + plan.patienceMs;
}

} // namespace

RunPlan DrawPlan(uint64_t seed, std::optional<int> variant)
{
    Dice dice(seed);
    RunPlan plan;
    plan.seed = seed;
    plan.variant = variant ? *variant : dice.Pick(kCampaignVariants);
    plan.firmware = DrawFirmware(dice);
    plan.patienceMs = static_cast<uint32_t>(dice.Between(20'000, 40'000));

    // What varies in a healthy unit too.
    plan.device.wakeUp.pollsBeforeWake = static_cast<unsigned>(dice.Between(1, 6));
    plan.device.application.startsInBootLoader = dice.Percent(20);
    plan.device.radio.gatewayBaud =
        dice.OneOf<uint32_t>({9600, 57600, 14400, 19200, 38400, 115200});
    plan.device.radio.linkConfigured = dice.Percent(30);
    plan.device.radio.setupAfterListenMs = dice.Between(200, 5000);

    if (dice.Percent(15)) {
        plan.boundMs = Bound(plan);
        return plan;
    }
    const Traffic traffic = EstimateTraffic(plan);
    for (int i = 0, n = static_cast<int>(dice.Between(1, 3)); i < n; ++i) {
        if (dice.Percent(60)) {
            AddLineFault(dice, plan, traffic);
            continue;
        }
        const int v = plan.variant;
        const unsigned part = static_cast<unsigned>(dice.Below(3));
        if (IsWaitingVariant(v) && part == 0)
            AddWakeFault(dice, plan);
        else if (v == 2 && part == 0)
            AddApplicationFault(dice, plan);
        else if (IsRadioVariant(v) && part == 0)
            AddRadioFault(dice, plan);
        else if (IsRowVariant(v))
            AddRowFault(dice, plan);
        else
            AddPageFault(dice, plan);
    }
    plan.boundMs = Bound(plan);
    return plan;
}

std::string RunPlan::Describe() const
{
    std::ostringstream out;
    out << "variant " << variant << ", " << firmware.size() << " bytes of firmware (" << Blocks()
        << (IsRowVariant(variant) ? " rows" : " pages") << ")";
    if (FaultFree())
        out << ", no faults";
    for (const sim::LineFault& f : lineFaults) {
        out << "\n  line: " << LineFaultName(f) << " at byte " << f.atByte;
        if (f.kind == sim::LineFaultKind::Flip || f.kind == sim::LineFaultKind::Insert)
            out << " (0x" << std::hex << int{f.value} << std::dec << ")";
        if (f.kind == sim::LineFaultKind::Late)
            out << " by " << f.delayMs << " ms";
    }
    for (const DeviceFault& f : deviceFaults)
        out << "\n  device: " << f.name;
    return out.str();
}

} // namespace tvqx::campaign
