#include "firmware/HexImage.h"

namespace tvqx {

namespace {

constexpr uint32_t kAddressSpace = 0x10000;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

struct Line {
    const char* text;
    std::size_t size;
};

// Exactly two hexadecimal digits at `pos`. Blanks, signs and "0x", which a
// lenient scanner would take, make the record invalid here.
bool ReadHexByte(Line line, std::size_t pos, uint32_t& value)
{
    if (pos + 2 > line.size)
        return false;
    const int hi = HexDigit(line.text[pos]);
    const int lo = HexDigit(line.text[pos + 1]);
    if (hi < 0 || lo < 0)
        return false;
    value = static_cast<uint32_t>(hi * 16 + lo);
    return true;
}

enum class RecordOutcome { Continue, End, Invalid };

RecordOutcome ApplyRecord(Line line, std::vector<uint8_t>& image)
{
    if (line.size == 0 || line.text[0] != ':')
        return RecordOutcome::Invalid;

    uint32_t count = 0, addrHigh = 0, addrLow = 0, type = 0;
    if (!ReadHexByte(line, 1, count) || !ReadHexByte(line, 3, addrHigh) ||
        !ReadHexByte(line, 5, addrLow) || !ReadHexByte(line, 7, type))
        return RecordOutcome::Invalid;

    switch (type) {
    case 0x00:
        break;
    case 0x01:
        // The end record's checksum has never been checked.
        return RecordOutcome::End;
    case 0x02:
    case 0x03:
        // Segment addresses mean nothing to this device; skipped unchecked.
        return RecordOutcome::Continue;
    default:
        return RecordOutcome::Invalid;
    }

    const uint32_t base = addrHigh * 256 + addrLow;
    // The device's addresses are 16 bits; letting the image grow past 64 KiB
    // would wrap the page count the boot loader is told.
    if (base + count > kAddressSpace)
        return RecordOutcome::Invalid;

    uint32_t sum = count + addrHigh + addrLow + type;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t byte = 0;
        if (!ReadHexByte(line, 9 + 2 * i, byte))
            return RecordOutcome::Invalid;
        sum += byte;
        const std::size_t address = base + i;
        if (address >= image.size()) {
            // Grown a block at a time, so the length is the next multiple of
            // 256 above the highest address written.
            const std::size_t blocks = address / kImageBlockSize + 1;
            image.resize(blocks * kImageBlockSize, 0xFF);
        }
        image[address] = static_cast<uint8_t>(byte);
    }
    uint32_t checksum = 0;
    if (!ReadHexByte(line, 9 + 2 * count, checksum))
        return RecordOutcome::Invalid;
    return (256 - sum % 256) % 256 == checksum ? RecordOutcome::Continue : RecordOutcome::Invalid;
}

} // namespace

std::optional<std::vector<uint8_t>> BuildImageFromHex(const HexLineReader& readPiece)
{
    std::vector<uint8_t> image(kImageBlockSize, 0xFF);
    std::string piece;
    while (readPiece(piece)) {
        switch (ApplyRecord(Line{piece.data(), piece.size()}, image)) {
        case RecordOutcome::Continue:
            break;
        case RecordOutcome::End:
            return image;
        case RecordOutcome::Invalid:
            return std::nullopt;
        }
    }
    // The end of the file before the end record.
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> BuildImageFromHexFile(File& hex)
{
    char buffer[kHexLineBufferSize];
    return BuildImageFromHex([&](std::string& piece) {
        if (!hex.ReadString(buffer, sizeof buffer))
            return false;
        // As a C string: a NUL in the text ends the piece, as it always has.
        piece.assign(buffer);
        return true;
    });
}

ConvertResult ConvertHexFileToImage(const std::string& hexPath, const std::string& imagePath, bool* heldElsewhere,
                                    std::optional<File>* keep)
{
    auto imageFile = File::Create(imagePath, File::Sharing::None, heldElsewhere);
    if (!imageFile)
        return ConvertResult::CannotCreateImage;

    auto hexFile = File::OpenRead(hexPath, heldElsewhere);
    if (!hexFile) {
        imageFile->Close();
        DeleteImageFile(imagePath);
        return ConvertResult::CannotOpenHex;
    }

    const auto image = BuildImageFromHexFile(*hexFile);
    bool written = false;
    if (image)
        written = imageFile->Seek(0) && imageFile->Write(image->data(), image->size());
    hexFile->Close();
    if (image && written && keep) {
        *keep = std::move(imageFile);
        return ConvertResult::Ok;
    }
    // Closing can be where a full disk shows itself.
    const bool closed = imageFile->Close();

    if (!image) {
        DeleteImageFile(imagePath);
        return ConvertResult::InvalidHex;
    }
    if (!written || !closed) {
        DeleteImageFile(imagePath);
        return ConvertResult::CannotCreateImage;
    }
    return ConvertResult::Ok;
}

void DeleteImageFile(const std::string& imagePath)
{
    if (FileExists(imagePath))
        RemoveFile(imagePath);
}

} // namespace tvqx
