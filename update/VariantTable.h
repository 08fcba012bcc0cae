#pragma once
// The update variants as data: for each, what "Begin Update" runs, what
// runs once the unit's boot loader is ready, the boot loader's line speed
// and the life of the page image. Both handlers of the main window look the
// build's variant up here; a variant without an entry does nothing.

namespace tvqx {

class CUpdateWindow;

// When the page image made for a run is removed.
enum class ImageMoment {
    AfterBeginUpdate,   // when the "Begin Update" command returns
    AfterTransfer,      // when the transfer, or the cancelled wait for it, ends
    Never,              // it stays for the next run to overwrite
};

struct VariantEntry {
    int variant;
    // The "Begin Update" command; null: nothing happens.
    void (CUpdateWindow::*beginUpdate)();
    // WM_BOOTLOADER_READY: the unit's boot loader is there.
    void (CUpdateWindow::*bootLoaderReady)();
    // The boot loader's line speed; 0 where a gateway's speed is searched.
    int baud;
    bool makesImage;
    ImageMoment imageRemoved;
};

// The entry of `variant`, or null.
const VariantEntry* FindVariant(int variant);

} // namespace tvqx
