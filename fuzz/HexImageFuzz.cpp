// The HEX file as the conversion reads it from disk, against a model of the
// conversion written the long way round: the text cut into the pieces a
// 200-character line buffer takes, the image grown block by block from its
// covered extent, every data byte placed on its own. Whatever the input, the
// two must agree on valid or invalid and on every byte of Hex.tmp, and a
// failed conversion must leave no Hex.tmp behind.

#include "firmware/HexImage.h"
#include "fuzz/FuzzSupport.h"

#include <optional>
#include <string>
#include <vector>

using namespace tvqx;

namespace {

// Pieces of at most 199 characters, each ending after its line end; CR LF
// reads as one '\n'; a NUL ends the piece's text, as in a C string.
std::vector<std::string> Pieces(const uint8_t* data, size_t size)
{
    std::vector<std::string> pieces;
    size_t i = 0;
    while (i < size) {
        std::string raw;
        while (i < size && raw.size() < kHexLineBufferSize - 1) {
            char c = static_cast<char>(data[i++]);
            if (c == '\r' && i < size && data[i] == '\n') {
                c = '\n';
                ++i;
            }
            raw.push_back(c);
            if (c == '\n')
                break;
        }
        pieces.push_back(raw.substr(0, raw.find('\0')));
    }
    return pieces;
}

std::optional<unsigned> Byte(const std::string& s, size_t pos)
{
    if (pos + 2 > s.size())
        return std::nullopt;
    unsigned v = 0;
    for (size_t k = pos; k < pos + 2; ++k) {
        const char c = s[k];
        v *= 16;
        if (c >= '0' && c <= '9')
            v += static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            v += static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            v += static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
    }
    return v;
}

std::optional<std::vector<uint8_t>> Model(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> image(256, 0xFF);
    long covered = 255;
    for (const std::string& line : Pieces(data, size)) {
        if (line.empty() || line[0] != ':')
            return std::nullopt;
        const auto n = Byte(line, 1), hi = Byte(line, 3), lo = Byte(line, 5), type = Byte(line, 7);
        if (!n || !hi || !lo || !type)
            return std::nullopt;
        if (*type == 1)
            return image;
        if (*type == 2 || *type == 3)
            continue;
        if (*type != 0)
            return std::nullopt;
        const long base = *hi * 256 + *lo;
        if (base + static_cast<long>(*n) > 65536)
            return std::nullopt;
        unsigned sum = *n + *hi + *lo;
        for (unsigned i = 0; i < *n; ++i) {
            const auto b = Byte(line, 9 + 2 * i);
            if (!b)
                return std::nullopt;
            sum += *b;
            while (base + static_cast<long>(i) > covered) {
                image.insert(image.end(), 256, 0xFF);
                covered += 256;
            }
            image[static_cast<size_t>(base + i)] = static_cast<uint8_t>(*b);
        }
        const auto checksum = Byte(line, 9 + 2 * *n);
        if (!checksum || (256 - sum % 256) % 256 != *checksum)
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string hexPath = fuzz::ScratchDirectory() + "firmware.hex";
    static const std::string imagePath = fuzz::ScratchDirectory() + "Hex.tmp";
    fuzz::WriteBytes(hexPath, data, size);

    const ConvertResult result = ConvertHexFileToImage(hexPath, imagePath);
    const auto expected = Model(data, size);
    if (!expected) {
        FUZZ_CHECK(result == ConvertResult::InvalidHex);
        FUZZ_CHECK(!fuzz::Exists(imagePath));
        return 0;
    }
    FUZZ_CHECK(result == ConvertResult::Ok);
    const std::vector<uint8_t> image = fuzz::ReadBytes(imagePath);
    FUZZ_CHECK(image.size() % kImageBlockSize == 0 && image.size() <= 65536);
    FUZZ_CHECK(image == *expected);
    return 0;
}
