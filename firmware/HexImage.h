#pragma once
// Intel HEX firmware to the flat page image the boot loader is sent: byte k
// of the image is the firmware byte for address k, everything the HEX file
// does not give is 0xFF, and the length is a whole number of 256-byte blocks.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/File.h"

namespace tvqx {

// The HEX file has always been read through a 200-character line buffer: one
// read takes at most 199 characters and stops after a line end, which stays
// in the piece. A record too long for one read therefore continues in a
// piece that does not begin with ':', and the file is rejected. Keep it so.
inline constexpr std::size_t kHexLineBufferSize = 200;
inline constexpr std::size_t kImageBlockSize = 256;

// Gives the next piece of the HEX text as described above; false at the end
// of the file (or on a read error).
using HexLineReader = std::function<bool(std::string& piece)>;

// The image, or nothing when the HEX text is invalid. Reading stops at the
// end-of-file record; nothing after it is asked for.
std::optional<std::vector<uint8_t>> BuildImageFromHex(const HexLineReader& readPiece);
// The same, reading `hex` in text mode from its current position.
std::optional<std::vector<uint8_t>> BuildImageFromHexFile(File& hex);

enum class ConvertResult {
    Ok,
    CannotCreateImage,   // nothing left behind by us
    CannotOpenHex,       // the image was created and is deleted again
    InvalidHex,          // no image remains
};

// Creates the image at `imagePath` (sharing denied, never through a symbolic
// link), then opens the HEX file, converts and writes the image. On every
// failure but the first no image file remains. A failure to write the image
// (a full disk) is reported as CannotCreateImage and leaves no image either,
// so an update never goes on with a partial one. `*heldElsewhere` (when
// given) says whether the file that would not open (the image for
// CannotCreateImage, the HEX file for CannotOpenHex) was held by somebody else.
// With `keep`, a written image stays open in it (sharing still denied), so
// that nobody can change it before the transfer reads it from there.
ConvertResult ConvertHexFileToImage(const std::string& hexPath, const std::string& imagePath,
                                    bool* heldElsewhere = nullptr, std::optional<File>* keep = nullptr);

// Removes the image when anything is there under that name; errors are ignored.
void DeleteImageFile(const std::string& imagePath);

} // namespace tvqx
