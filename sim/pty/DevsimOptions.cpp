#include "sim/pty/DevsimOptions.h"

#include "sim/pty/DevsimOptionTable.h"

#include <optional>
#include <set>

namespace tvqx::sim {

namespace {

struct VariantNaming {
    int variant;
    const char* name;
};

constexpr VariantNaming kVariants[] = {
    {10, "page"},          {1, "row-wake"},  {2, "row-app"},    {4, "page256-wake"},
    {5, "page256-start"},  {3, "radio-row"}, {6, "radio-page"},
};

// Setup is pressed this long after the gateway starts listening, unless
// --setup-after says otherwise: time for a technician to read the prompt.
constexpr uint64_t kDefaultSetupAfterMs = 1500;

DevsimCommandLine Fail(std::string message)
{
    DevsimCommandLine result;
    result.outcome = DevsimCommandLine::Outcome::Error;
    result.error = std::move(message);
    return result;
}

std::string UnitList(unsigned units)
{
    std::string text;
    for (const VariantNaming& v : kVariants)
        if (units & UnitOf(v.variant))
            text += (text.empty() ? "" : ", ") + std::to_string(v.variant) + " (" + v.name + ")";
    return text;
}

// Empty when `spec` fits the chosen unit, else why not.
std::string Misfit(const DevsimOptionSpec& spec, const DevsimOptions& o)
{
    const std::string chosen = "variant " + std::to_string(o.variant) + " (" + VariantName(o.variant) + ")";
    if (spec.appliesTo == kUnitApplication) {
        if (o.variant == 2 && o.inApplication)
            return {};
        return std::string(spec.name) + " does not apply to " + chosen
               + ": it needs --variant 2 with --in-application";
    }
    if (spec.appliesTo & UnitOf(o.variant))
        return {};
    return std::string(spec.name) + " does not apply to " + chosen + ": only to variant "
           + UnitList(spec.appliesTo);
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
    // In the order given, each once: checked against the unit once it is
    // known, since --variant may come last.
    std::vector<const DevsimOptionSpec*> given;
    std::set<std::string> seen;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (name == "--help" || name == "-h") {
            result.outcome = DevsimCommandLine::Outcome::Help;
            return result;
        }
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.erase(eq);
        }
        const DevsimOptionSpec* spec = nullptr;
        for (const DevsimOptionSpec& s : DevsimOptionSpecs())
            if (name == s.name)
                spec = &s;
        if (!spec)
            return Fail("unknown option '" + args[i] + "'");
        if (spec->takesValue && !value) {
            if (i + 1 >= args.size())
                return Fail(name + " needs a value");
            value = args[++i];
        } else if (!spec->takesValue && value) {
            return Fail(name + " takes no value");
        }
        if (!spec->set(o, value.value_or(std::string()))) {
            if (name == "--variant")
                return Fail("unknown variant '" + *value + "': choose " + UnitList(kUnitsAll));
            return Fail("invalid value '" + *value + "' for " + name);
        }
        if (seen.insert(spec->name).second)
            given.push_back(spec);
    }

    if (o.comNumber == 0)
        return Fail("--com N (1 to 22) is required");
    for (const DevsimOptionSpec* spec : given)
        if (const std::string misfit = Misfit(*spec, o); !misfit.empty())
            return Fail(misfit);
    if (o.faults.pages.readyAfterWrongByte && !o.faults.pages.readyByte)
        return Fail("--ready-after-wrong needs --ready-byte");
    ShareBootLoaderFaults(o.faults, seen.count("--end-answer") != 0);
    // Over a pseudo-terminal the program cannot see DSR, so it takes the
    // unit to be in its boot loader already; the application is there only
    // for someone trying its commands by hand.
    o.faults.application.startsInBootLoader = o.variant == 2 && !o.inApplication;
    if ((UnitOf(o.variant) & kUnitsRadio) && !o.faults.radio.setupAfterListenMs)
        o.faults.radio.setupAfterListenMs = kDefaultSetupAfterMs;
    result.outcome = DevsimCommandLine::Outcome::Run;
    return result;
}

} // namespace tvqx::sim
