#pragma once
// Console text as whole characters. The program writes UTF-8; a Windows
// console shows any script only when it is handed UTF-16, which must not be
// made from half a character. This buffer collects what is written and
// hands it on in whole characters, at each line's end and whenever the
// stream is flushed (a progress bar redrawn in place).

#include <functional>
#include <streambuf>
#include <string>
#include <string_view>

namespace tvqx::cli {

class Utf8TextBuffer final : public std::streambuf {
public:
    using Sink = std::function<void(std::string_view text)>;
    explicit Utf8TextBuffer(Sink sink) : m_sink(std::move(sink)) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void Pass(bool lineEnded);

    Sink m_sink;
    std::string m_pending;
};

} // namespace tvqx::cli
