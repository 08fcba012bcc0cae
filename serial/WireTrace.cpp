#include "serial/WireTrace.h"

#include <ctime>
#include <filesystem>
#include <utility>

namespace tvqx {

namespace {

std::string LocalDateNow()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[32] = "";
    if (local)
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
    return text;
}

// A port's entry is usually a link (the port directory's COMn, a by-id
// name): the device it leads to is what support needs to see.
TracingPortLayer::PathResolver WithLinkTarget(TracingPortLayer::PathResolver devicePath)
{
    if (!devicePath)
        return {};
    return [devicePath = std::move(devicePath)](int portNumber) {
        const std::string path = devicePath(portNumber);
        std::error_code ec;
        if (path.empty() || !std::filesystem::is_symlink(path, ec))
            return path;
        const std::string target = std::filesystem::canonical(path, ec).string();
        return ec || target == path ? path : path + " -> " + target;
    };
}

} // namespace

std::string ChooseTracePath(const std::string& fromCommandLine, const char* variable)
{
    if (!fromCommandLine.empty())
        return fromCommandLine;
    return variable ? variable : "";
}

void FileTraceSink::WriteLine(const std::string& line)
{
    // A trace that can no longer be written must not stop the update.
    const std::string whole = line + "\n";
    m_file.Write(whole.data(), whole.size());
}

WireTrace::WireTrace(File file, PortLayer& ports, TickClock& clock, TracingPortLayer::PathResolver devicePath)
    : m_sink(std::move(file)), m_layer(ports, clock, m_sink, WithLinkTarget(std::move(devicePath)))
{
}

std::unique_ptr<WireTrace> WireTrace::Start(const std::string& path, const std::string& program,
                                            const std::string& version, PortLayer& ports, TickClock& clock,
                                            TracingPortLayer::PathResolver devicePath, std::ostream& err)
{
    if (path.empty())
        return nullptr;
    std::optional<File> file = File::Create(path, File::Sharing::Readers);
    if (!file) {
        err << program << ": cannot create the trace file " << path << "\n";
        return nullptr;
    }
    std::unique_ptr<WireTrace> trace(new WireTrace(std::move(*file), ports, clock, std::move(devicePath)));
    trace->m_sink.WriteLine(TraceHeader(program, version, LocalDateNow()));
    return trace;
}

} // namespace tvqx
