#include "sim/pty/DevsimOptions.h"

#include "platform/PortInventory.h"
#include "sim/pty/DevsimValues.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <climits>
#include <map>

namespace tvqx::sim {

namespace {

struct VariantNaming {
    int variant;
    const char* name;
};

// In the order the help lists them; each unit's bit below is its place here.
constexpr VariantNaming kVariants[] = {
    {10, "page"},          {1, "row-wake"},  {2, "row-app"},    {4, "page256-wake"},
    {5, "page256-start"},  {3, "radio-row"}, {6, "radio-page"},
};

// The units an option applies to, as a set of bits.
constexpr unsigned kUnitPage = 1u << 0, kUnitRowWake = 1u << 1, kUnitRowApp = 1u << 2,
                   kUnitPage256Wake = 1u << 3, kUnitPage256Start = 1u << 4, kUnitRadioRow = 1u << 5,
                   kUnitRadioPage = 1u << 6;
// Variant 2 powered up in its application (--in-application).
constexpr unsigned kUnitApplication = 1u << 7;
constexpr unsigned kUnitsRadio = kUnitRadioRow | kUnitRadioPage;
constexpr unsigned kUnitsAll = (1u << std::size(kVariants)) - 1;
// The page and row faults reach the boot loader behind the radio link too.
constexpr unsigned kUnitsPages = kUnitPage | kUnitPage256Wake | kUnitPage256Start | kUnitRadioPage;
constexpr unsigned kUnitsRows = kUnitRowWake | kUnitRowApp | kUnitRadioRow;
constexpr unsigned kUnitsWakeUp = kUnitRowWake | kUnitPage256Wake | kUnitPage256Start;

// The program knows COM1 to COM22.
constexpr int kLastCom = 22;
constexpr uint64_t kMaxMs = UINT32_MAX;
constexpr uint64_t kMaxPage = UINT16_MAX;
constexpr uint64_t kMaxCount = 1000000;

// Setup is pressed this long after the gateway starts listening, unless
// --setup-after says otherwise: time for a technician to read the prompt.
constexpr uint64_t kDefaultSetupAfterMs = 1500;

unsigned UnitOf(int variant)
{
    for (size_t i = 0; i < std::size(kVariants); ++i)
        if (kVariants[i].variant == variant)
            return 1u << i;
    return 0;
}

std::string UnitList(unsigned units)
{
    std::string text;
    for (const VariantNaming& v : kVariants)
        if (units & UnitOf(v.variant))
            text += (text.empty() ? "" : ", ") + std::to_string(v.variant) + " (" + v.name + ")";
    return text;
}

// Readers of one value each, for the setters below.
auto Decimal(uint64_t min, uint64_t max)
{
    return [=](const std::string& text) { return ParseDecimal(text, min, max); };
}
const auto kMs = Decimal(0, kMaxMs);
// A row as the program counts them, from 1; the unit counts from 0.
const auto kRow = [](const std::string& text) {
    const auto row = ParseDecimal(text, 1, kMaxCount);
    return row ? std::optional<size_t>(*row - 1) : std::nullopt;
};
auto Text(bool mayBeEmpty)
{
    return [=](const std::string& text) { return text.empty() && !mayBeEmpty ? std::nullopt : std::optional(text); };
}

// Setters: each stores what its reader made of the value, or says it was no good.
template <class Field, class Read>
auto Into(Field& field, Read read)
{
    return [&field, read](const std::string& text) {
        const auto value = read(text);
        if (value)
            field = static_cast<Field>(*value);
        return value.has_value();
    };
}

// KEY:VALUE, one more entry each time the option is given.
template <class Map, class ReadKey, class ReadValue>
auto IntoMap(Map& map, ReadKey key, ReadValue value)
{
    return [&map, key, value](const std::string& text) {
        const auto entry = ParsePair(text, key, value);
        if (entry)
            map[static_cast<typename Map::key_type>(entry->first)] = static_cast<typename Map::mapped_type>(entry->second);
        return entry.has_value();
    };
}

// ROW: nothing sent in place of that row's flow-control character.
auto LeftOut(std::map<size_t, std::vector<uint8_t>>& map)
{
    return [&map](const std::string& text) {
        const auto row = kRow(text);
        if (row)
            map[*row] = {};
        return row.has_value();
    };
}

// The options of one command line, each with the units it applies to.
class Declarations {
public:
    explicit Declarations(CLI::App& app) : m_app(app) {}

    void Flag(const char* name, unsigned units, bool& field)
    {
        Note(m_app.add_flag(name, field)->disable_flag_override(), units);
    }

    template <class Set>
    void Value(const char* name, unsigned units, Set set)
    {
        Note(m_app.add_option_function<std::string>(name,
                                                     [name, set](const std::string& text) {
                                                         if (!set(text))
                                                             throw CLI::ValidationError("invalid value '" + text
                                                                                        + "' for " + name);
                                                     }),
             units);
    }

    unsigned UnitsOf(const CLI::Option* option) const { return m_units.at(option); }

private:
    // Taken where it stands: a refused value stops the parse there, and so
    // does --help, while the options before it are still checked.
    void Note(CLI::Option* option, unsigned units)
    {
        option->trigger_on_parse();
        m_units[option] = units;
    }

    CLI::App& m_app;
    std::map<const CLI::Option*, unsigned> m_units;
};

void Declare(Declarations& d, DevsimOptions& o)
{
    d.Value("--com", kUnitsAll, Into(o.comNumber, Decimal(1, kLastCom)));
    d.Value("--units", kUnitsAll, Into(o.units, Decimal(1, kLastCom)));
    d.Value("--faulty-unit", kUnitsAll, Into(o.faultyUnit, [](const std::string& text) {
        const int com = ComPortNumber(text);
        return com ? std::optional(com) : std::nullopt;
    }));
    d.Value("--variant", kUnitsAll, [&o](const std::string& text) {
        o.variant = VariantFromName(text);
        if (o.variant == 0)
            throw CLI::ValidationError("unknown variant '" + text + "': choose " + UnitList(kUnitsAll));
        return true;
    });
    d.Value("--updates", kUnitsAll, Into(o.updates, Decimal(1, UINT_MAX)));
    d.Flag("--fast", kUnitsAll, o.fast);
    d.Flag("--quiet", kUnitsAll, o.quiet);
    d.Value("--flash-out", kUnitsAll, Into(o.flashOut, Text(false)));
    d.Value("--noise-at", kUnitsAll, [&o](const std::string& text) {
        const auto noise = ParsePair(text, kMs, ParseHexBytes);
        if (noise)
            o.noise.push_back({noise->first, noise->second});
        return noise.has_value();
    });

    // Set on the page boot loader's faults; the row boot loader gets the same.
    PageBootLoaderFaults& pages = o.faults.pages;
    d.Flag("--no-answer", kUnitsAll, pages.ignoreEntryCommand);
    d.Value("--version", kUnitsAll, Into(pages.versionText, Text(true)));
    d.Value("--version-pieces", kUnitsAll, Into(pages.versionPieces, ParsePieces));
    d.Flag("--no-ready", kUnitsAll, pages.omitReady);
    d.Value("--ready-byte", kUnitsAll, Into(pages.readyByte, ParseHexByte));
    d.Value("--ready-delay", kUnitsAll, Into(pages.readyDelayMs, kMs));
    d.Value("--response-delay", kUnitsAll, Into(pages.responseDelayMs, kMs));
    d.Value("--end-answer", kUnitsAll, Into(pages.endMarkerAnswer, ParseHexByte));
    d.Flag("--silent-after-end", kUnitsAll, pages.silentAfterEndMarker);

    d.Flag("--ready-after-wrong", kUnitsPages, pages.readyAfterWrongByte);
    d.Value("--resend", kUnitsPages, IntoMap(pages.resendsForPage, Decimal(0, kMaxPage), Decimal(0, kMaxCount)));
    d.Value("--page-answer", kUnitsPages, IntoMap(pages.pageAnswerByte, Decimal(0, kMaxPage), ParseHexByte));
    d.Value("--hang-at-page", kUnitsPages, Into(pages.hangAtPage, Decimal(0, kMaxPage)));
    d.Value("--noise-before-answer", kUnitsPages,
            IntoMap(pages.noiseBeforeAnswer, Decimal(0, kMaxCount), ParseHexBytes));

    RowBootLoaderFaults& rows = o.faults.rows;
    const auto storm = [](const std::string& text) {
        const auto count = ParseDecimal(text, 1, 10000);
        return count ? std::optional(std::vector<uint8_t>(*count, kRowFileComplete)) : std::nullopt;
    };
    d.Value("--xon-delay", kUnitsRows, Into(rows.xonDelayMs, kMs));
    d.Value("--row-write", kUnitsRows, Into(rows.rowWriteMs, kMs));
    d.Value("--no-xon", kUnitsRows, LeftOut(rows.xonFor));
    d.Value("--wrong-xon", kUnitsRows, IntoMap(rows.xonFor, kRow, ParseHexBytes));
    d.Value("--no-xoff", kUnitsRows, LeftOut(rows.xoffFor));
    d.Value("--wrong-xoff", kUnitsRows, IntoMap(rows.xoffFor, kRow, ParseHexBytes));
    d.Value("--no-line-complete", kUnitsRows, LeftOut(rows.lineCompleteFor));
    d.Value("--wrong-line-complete", kUnitsRows, IntoMap(rows.lineCompleteFor, kRow, ParseHexBytes));
    d.Value("--at-storm", kUnitsRows, IntoMap(rows.xoffFor, kRow, storm));
    d.Value("--silent-at-row", kUnitsRows, [&rows](const std::string& text) {
        const auto at = ParsePair(text, kRow, kRow);
        if (at)
            rows.silentFrom = RowPosition{at->first, at->second};
        return at.has_value();
    });

    WakeUpOptions& wakeUp = o.faults.wakeUp;
    d.Value("--polls-before-wake", kUnitsWakeUp, Into(wakeUp.pollsBeforeWake, Decimal(1, kMaxCount)));
    d.Flag("--never-wake", kUnitsWakeUp, wakeUp.neverWakes);
    d.Value("--wake-delay", kUnitsWakeUp, Into(wakeUp.wakeDelayMs, kMs));
    d.Value("--wake-noise", kUnitsWakeUp, Into(wakeUp.noiseBeforeWake, ParseHexBytes));
    d.Value("--wake-noise-after", kUnitsWakeUp, Into(wakeUp.noiseAfterWake, ParseHexBytes));
    d.Value("--poll-answer", kUnitsWakeUp, Into(wakeUp.pollAnswer, ParseHexBytes));
    d.Value("--start-answer", kUnitPage256Start, Into(wakeUp.startCommandAnswer, ParseHexBytes));

    ApplicationOptions& application = o.faults.application;
    d.Flag("--in-application", kUnitRowApp, o.inApplication);
    d.Value("--app-answer", kUnitApplication, Into(application.answerText, Text(true)));
    d.Flag("--no-app-answer", kUnitApplication, application.ignoreVersionRequest);
    d.Value("--app-answer-delay", kUnitApplication, Into(application.answerDelayMs, kMs));
    d.Value("--handover-delay", kUnitApplication, Into(application.handOverDelayMs, kMs));
    d.Flag("--dsr-never-drops", kUnitApplication, application.dsrNeverDrops);

    RadioOptions& radio = o.faults.radio;
    const auto moduleId = [](const std::string& text) {
        return text.size() == 1 && std::isalnum(static_cast<unsigned char>(text[0])) ? std::optional(text[0])
                                                                                    : std::nullopt;
    };
    d.Value("--gateway-baud", kUnitsRadio, Into(radio.gatewayBaud, Decimal(50, 4000000)));
    d.Flag("--no-gateway", kUnitsRadio, radio.gatewayAbsent);
    d.Flag("--link-configured", kUnitsRadio, radio.linkConfigured);
    d.Value("--module-id", kUnitsRadio, Into(radio.moduleId, moduleId));
    d.Value("--setup-after", kUnitsRadio, Into(radio.setupAfterListenMs, kMs));
    d.Value("--answer-fault", kUnitsRadio, [&radio](const std::string& text) {
        const auto fault = ParseAnswerFault(text);
        if (fault)
            radio.answerFaults[fault->first] = fault->second;
        return fault.has_value();
    });
    d.Value("--module-id-answer", kUnitsRadio, Into(radio.moduleIdAnswer, Text(false)));
    d.Flag("--link-never-up", kUnitsRadio, radio.linkNeverUp);
    d.Value("--probes-answered", kUnitsRadio, Into(radio.probesAnswered, Decimal(0, kMaxCount)));
    d.Value("--setup-line", kUnitsRadio, Into(radio.setupLine, Unescape));
    d.Value("--relay-delay", kUnitsRadio, Into(radio.relayDelayMs, kMs));
}

// Empty when an option for `units` fits the chosen unit, else why not.
std::string Misfit(const std::string& name, unsigned units, const DevsimOptions& o)
{
    const std::string chosen = "variant " + std::to_string(o.variant) + " (" + VariantName(o.variant) + ")";
    if (units == kUnitApplication)
        return o.variant == 2 && o.inApplication
                   ? std::string()
                   : name + " does not apply to " + chosen + ": it needs --variant 2 with --in-application";
    return units & UnitOf(o.variant) ? std::string()
                                     : name + " does not apply to " + chosen + ": only to variant " + UnitList(units);
}

// The boot loader options were set on the page boot loader's faults; the
// row boot loader gets the same.
void ShareBootLoaderFaults(VariantDeviceFaults& faults, bool endAnswerGiven)
{
    const PageBootLoaderFaults& pages = faults.pages;
    RowBootLoaderFaults& rows = faults.rows;
    rows.ignoreEntryCommand = pages.ignoreEntryCommand;
    rows.versionText = pages.versionText;
    rows.versionPieces = pages.versionPieces;
    rows.omitReady = pages.omitReady;
    rows.readyByte = pages.readyByte;
    rows.readyDelayMs = pages.readyDelayMs;
    rows.responseDelayMs = pages.responseDelayMs;
    if (pages.silentAfterEndMarker)
        rows.fileCompleteAnswer = std::vector<uint8_t>{};
    else if (endAnswerGiven)
        rows.fileCompleteAnswer = std::vector<uint8_t>{pages.endMarkerAnswer};
}

// What a unit's options need beyond what was given, once the variant is known.
void CompleteUnitOptions(DevsimOptions& o, bool endAnswerGiven)
{
    ShareBootLoaderFaults(o.faults, endAnswerGiven);
    // Over a pseudo-terminal the program cannot see DSR, so it takes the
    // unit to be in its boot loader already; the application is there only
    // for someone trying its commands by hand.
    o.faults.application.startsInBootLoader = o.variant == 2 && !o.inApplication;
    if ((UnitOf(o.variant) & kUnitsRadio) && !o.faults.radio.setupAfterListenMs)
        o.faults.radio.setupAfterListenMs = kDefaultSetupAfterMs;
}

std::string Com(int number)
{
    return "COM" + std::to_string(number);
}

// Empty when the units fit in the COM numbers and each has a flash file of
// its own, else why not.
std::string UnitsMisfit(const DevsimOptions& o)
{
    const int last = o.comNumber + o.units - 1;
    if (last > kLastCom)
        return "--units " + std::to_string(o.units) + " from " + Com(o.comNumber) + " would reach " + Com(last)
               + ": the last COM number is " + std::to_string(kLastCom);
    if (o.faultyUnit && (o.faultyUnit < o.comNumber || o.faultyUnit > last))
        return "--faulty-unit " + Com(o.faultyUnit) + " is not one of the units (" + Com(o.comNumber) + " to "
               + Com(last) + ")";
    if (o.units > 1 && !o.flashOut.empty() && o.flashOut.find("{port}") == std::string::npos
        && o.flashOut.back() != '/')
        return "--flash-out with --units needs {port} in FILE or a folder ending in '/': each unit has its own flash";
    return {};
}

// CLI11's own refusals, put as the program puts its others.
std::string Reworded(const std::string& what)
{
    if (const size_t at = what.find(" was given a disallowed flag override"); at != std::string::npos)
        return "--" + what.substr(0, at) + " takes no value";
    return what.substr(0, what.find(':')) + " needs a value";
}

DevsimCommandLine Fail(std::string message)
{
    return {DevsimCommandLine::Outcome::Error, {}, std::move(message)};
}

} // namespace

std::string VariantName(int variant)
{
    for (const VariantNaming& v : kVariants)
        if (v.variant == variant)
            return v.name;
    return {};
}

int VariantFromName(const std::string& name)
{
    for (const VariantNaming& v : kVariants)
        if (name == v.name || name == std::to_string(v.variant))
            return v.variant;
    return 0;
}

DevsimCommandLine ParseDevsimCommandLine(const std::vector<std::string>& args)
{
    DevsimCommandLine result;
    DevsimOptions& o = result.options;
    CLI::App app;
    // The help text is our own.
    app.set_help_flag();
    app.add_flag_callback("-h,--help", [] { throw CLI::CallForHelp(); })->disable_flag_override()->trigger_on_parse();
    // Unknown arguments are named in our words below.
    app.allow_extras();
    Declarations declarations(app);
    Declare(declarations, o);
    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::CallForHelp&) {
        result.outcome = DevsimCommandLine::Outcome::Help;
        return result;
    } catch (const CLI::ArgumentMismatch& e) {
        return Fail(Reworded(e.what()));
    } catch (const CLI::ParseError& e) {
        return Fail(e.what());
    }
    if (!app.remaining().empty())
        return Fail("unknown option '" + app.remaining().front() + "'");
    if (o.comNumber == 0)
        return Fail("--com N (1 to 22) is required");
    if (const std::string misfit = UnitsMisfit(o); !misfit.empty())
        return Fail(misfit);
    // Checked against the unit once it is known, since --variant may come last.
    for (const CLI::Option* option : app.parse_order())
        if (const std::string misfit = Misfit(option->get_name(), declarations.UnitsOf(option), o); !misfit.empty())
            return Fail(misfit);
    if (o.faults.pages.readyAfterWrongByte && !o.faults.pages.readyByte)
        return Fail("--ready-after-wrong needs --ready-byte");
    CompleteUnitOptions(o, app.count("--end-answer") != 0);
    result.outcome = DevsimCommandLine::Outcome::Run;
    return result;
}

DevsimOptions UnitOptions(const DevsimOptions& all, int comNumber)
{
    DevsimOptions unit = all;
    unit.comNumber = comNumber;
    unit.units = 1;
    unit.faultyUnit = 0;
    const std::string port = Com(comNumber);
    if (!unit.flashOut.empty() && unit.flashOut.back() == '/')
        unit.flashOut += port + ".bin";
    for (size_t at = unit.flashOut.find("{port}"); at != std::string::npos; at = unit.flashOut.find("{port}", at))
        unit.flashOut.replace(at, 6, port);
    if (all.faultyUnit && all.faultyUnit != comNumber) {
        unit.faults = {};
        unit.noise.clear();
        unit.inApplication = false;
        CompleteUnitOptions(unit, false);
    }
    return unit;
}

std::vector<std::string> DevsimOptionNames()
{
    DevsimOptions scratch;
    CLI::App app;
    app.set_help_flag();
    Declarations declarations(app);
    Declare(declarations, scratch);
    std::vector<std::string> names;
    for (const CLI::Option* option : app.get_options())
        names.push_back(option->get_name());
    return names;
}

} // namespace tvqx::sim
