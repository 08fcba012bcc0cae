#include "cli/Utf8Text.h"

namespace tvqx::cli {

namespace {

// How many of the bytes make whole characters: a character begun at the end
// and not yet complete waits for the rest. A byte that starts no character
// (not UTF-8) is passed on as it is.
size_t WholeCharacters(const std::string& text)
{
    const size_t size = text.size();
    for (size_t back = 1; back <= 4 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(text[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue;   // within a character: look further back for its start
        const size_t length = (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3 : (byte & 0xF8) == 0xF0 ? 4 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

} // namespace

Utf8TextBuffer::int_type Utf8TextBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    m_pending.push_back(traits_type::to_char_type(c));
    if (c == '\n')
        Pass(true);
    return c;
}

std::streamsize Utf8TextBuffer::xsputn(const char* text, std::streamsize count)
{
    const std::string_view added(text, static_cast<size_t>(count));
    m_pending.append(added);
    if (added.find('\n') != std::string_view::npos)
        Pass(true);
    return count;
}

int Utf8TextBuffer::sync()
{
    Pass(false);
    return 0;
}

void Utf8TextBuffer::Pass(bool lineEnded)
{
    // Up to the last line's end, or every whole character on a flush.
    const size_t end = lineEnded ? m_pending.rfind('\n') + 1 : WholeCharacters(m_pending);
    if (end == 0)
        return;
    m_sink(std::string_view(m_pending).substr(0, end));
    m_pending.erase(0, end);
}

} // namespace tvqx::cli
