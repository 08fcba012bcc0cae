#pragma once
// A fresh directory per test, removed with everything in it afterwards. Tests
// that touch files get their own, so test processes running side by side
// never meet (the program opens its files with sharing denied).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace tvqx::test {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix = "tvqx")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_root = pattern + "/";
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

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tvqx::test
