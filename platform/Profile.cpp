#include "platform/Profile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace tvqx {

namespace {

std::string Trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsSection(const std::string& line, std::string* name)
{
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return false;
    *name = t.substr(1, t.size() - 2);
    return true;
}

bool IsEntry(const std::string& line, const std::string& entry, std::string* value)
{
    const auto eq = line.find('=');
    if (eq == std::string::npos || Trim(line.substr(0, eq)) != entry)
        return false;
    *value = Trim(line.substr(eq + 1));
    return true;
}

} // namespace

int IniFileProfile::GetProfileInt(const std::string& section, const std::string& entry, int defaultValue)
{
    std::string current;
    std::string name;
    std::string value;
    for (const auto& line : ReadLines(m_path)) {
        if (IsSection(line, &name)) {
            current = name;
            continue;
        }
        if (current == section && IsEntry(line, entry, &value)) {
            int result = 0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), result);
            return (ec == std::errc() && end == value.data() + value.size()) ? result : defaultValue;
        }
    }
    return defaultValue;
}

bool IniFileProfile::WriteProfileInt(const std::string& section, const std::string& entry, int value)
{
    std::vector<std::string> lines = ReadLines(m_path);
    const std::string newLine = entry + "=" + std::to_string(value);
    std::string current;
    std::string name;
    std::string old;
    bool inSection = false;
    bool done = false;
    size_t sectionEnd = lines.size();
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        if (IsSection(lines[i], &name)) {
            if (inSection) {
                sectionEnd = i;
                break;
            }
            inSection = name == section;
            continue;
        }
        if (inSection && IsEntry(lines[i], entry, &old)) {
            lines[i] = newLine;
            done = true;
        }
    }
    if (!done) {
        if (inSection) {
            // Insert after the section's last non-empty line.
            size_t at = sectionEnd;
            while (at > 0 && Trim(lines[at - 1]).empty())
                --at;
            lines.insert(lines.begin() + static_cast<long>(at), newLine);
        } else {
            if (!lines.empty() && !Trim(lines.back()).empty())
                lines.emplace_back();
            lines.push_back("[" + section + "]");
            lines.push_back(newLine);
        }
    }

    // Write a sibling file and rename it over the old one, so that a crash or
    // a full disk never leaves half a settings file.
    std::error_code ec;
    const std::filesystem::path target(m_path);
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ec);
    const std::string temp = m_path + ".new";
    {
        // Binary: the same bytes on every system, one '\n' per line.
        std::ofstream out(temp, std::ios::trunc | std::ios::binary);
        for (const auto& l : lines)
            out << l << '\n';
        out.flush();
        if (!out)
            return false;
    }
    std::filesystem::rename(temp, target, ec);
    return !ec;
}

} // namespace tvqx
