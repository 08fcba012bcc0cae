#pragma once
// The page loop the page boot loader is fed by, shared by the 128-byte page
// update and the two-phase 256-byte variants: each page goes out as its
// 16-bit number, its data and an additive checksum, and the boot loader
// answers '!' (next page) or '@' (send it again).

#include "platform/File.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tvqx {

struct PageTransferSettings {
    size_t pageSize = 128;
    // Pauses after the page number, after the data and after the checksum.
    uint32_t afterNumberMs = 20;
    uint32_t afterDataMs = 10;
    uint32_t afterChecksumMs = 20;
    // The whole window is repainted on passes whose page index is a
    // multiple of this.
    uint32_t repaintEvery = 4;
    // A page the boot loader asks for again goes out again at once, without
    // its progress text and without letting the window take a message.
    bool resendAtOnce = false;
};

enum class PagesOutcome { AllAccepted, NoAnswer, InvalidAnswer };

inline constexpr uint32_t kPageAnswerTimeoutMs = 3000;
inline constexpr uint8_t kPageAccepted = '!';
inline constexpr uint8_t kPageResend = '@';
// The fifth '@' in a row for one page ends the update.
inline constexpr int kMaxSendsPerPage = 5;
inline constexpr uint8_t kEndMarkerByte = 0xFF;

// The page image as a transfer sends it. Its bytes are read once, as the
// transfer opens the file, and the file stays open with sharing denied until
// Close, so that another copy of the program can neither rewrite nor
// recreate it while the pages go out: every page sent comes from one image.
class PageImage {
public:
    // `file` holds the image file for as long as the bytes are sent; none
    // when somebody else holds it.
    PageImage(std::optional<File> file, std::vector<uint8_t> bytes)
        : m_file(std::move(file)), m_bytes(std::move(bytes))
    {
    }

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    // Lets go of the file; the bytes stay.
    void Close()
    {
        if (m_file)
            m_file->Close();
    }

private:
    std::optional<File> m_file;
    std::vector<uint8_t> m_bytes;
};

// The page image for sending: nothing when it cannot be opened or read, when
// it is too large for the boot loader's 16-bit addresses, or when it holds
// not even one whole page, so that an image is never sent in part and an
// empty one never passes for an update.
// `*heldElsewhere` (when given) says whether the file was held by somebody else.
std::optional<PageImage> LoadPageImage(const std::string& path, size_t pageSize, bool* heldElsewhere = nullptr);
// The same from a file that is open already (the image as its conversion
// kept it).
std::optional<PageImage> LoadPageImage(File file, size_t pageSize);
// Whether an image of `size` bytes can be sent in pages of `pageSize`.
bool IsSendableImage(size_t size, size_t pageSize);

} // namespace tvqx
