#pragma once
// A fresh directory tree per test, removed with everything in it afterwards.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace tvqx::test {

class ScratchTree {
public:
    ScratchTree()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tvqx-cli-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_root = pattern + "/";
    }
    ~ScratchTree() { std::error_code ignored; std::filesystem::remove_all(m_root, ignored); }

    const std::string& Root() const { return m_root; }
    std::string Path(const std::string& relative) const { return m_root + relative; }
    std::string MakeDir(const std::string& relative) const
    {
        std::filesystem::create_directories(m_root + relative);
        return m_root + relative;
    }
    void Write(const std::string& relative, const std::string& content) const { std::ofstream(Path(relative)) << content; }
    void Link(const std::string& relative, const std::string& target) const
    {
        std::filesystem::create_symlink(target, Path(relative));
    }

private:
    std::string m_root;
};

} // namespace tvqx::test
