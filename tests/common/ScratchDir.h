#pragma once
// A fresh directory per test, removed with everything in it afterwards. Tests
// that touch files get their own, so test processes running side by side
// never meet (the program opens its files with sharing denied).

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

namespace tvqx::test {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix = "tvqx")
    {
        const auto base = std::filesystem::temp_directory_path();
#ifdef _WIN32
        // No mkdtemp here: try fresh random names until one is ours.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_root.empty(); ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
            const auto dir = base / (prefix + "-" + suffix);
            std::error_code ec;
            if (std::filesystem::create_directory(dir, ec))
                m_root = dir.string() + "/";
            else if (ec)
                break;
        }
        if (m_root.empty())
            throw std::runtime_error("no scratch directory");
#else
        std::string pattern = (base / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_root = pattern + "/";
#endif
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Ends in '/'.
    const std::string& Root() const { return m_root; }
    std::string Path(const std::string& relative) const { return m_root + relative; }
    std::string MakeDir(const std::string& relative) const
    {
        std::filesystem::create_directories(Path(relative));
        return Path(relative);
    }
    std::string Write(const std::string& relative, const std::string& content) const
    {
        std::ofstream(Path(relative), std::ios::binary) << content;
        return Path(relative);
    }
    void Link(const std::string& relative, const std::string& target) const
    {
        std::filesystem::create_symlink(target, Path(relative));
    }

private:
    std::string m_root;
};

// Plants a symbolic link, as an attacker would. On Linux a failure throws;
// on Windows it gives false, for the C++ library of the cross build makes no
// links (and Wine would not make a real one anyway): tests skip then, saying so.
inline bool PlantSymlink(const std::string& target, const std::string& link)
{
#ifdef _WIN32
    std::error_code ec;
    std::filesystem::create_symlink(target, link, ec);
    return !ec;
#else
    std::filesystem::create_symlink(target, link);
    return true;
#endif
}

inline constexpr const char* kNoSymlinksHere = "symbolic links cannot be planted on this system";

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tvqx::test
