#include "update/VariantTable.h"

#include "update/UpdateWindow.h"

#include <iterator>

namespace tvqx {

namespace {

using D = CUpdateWindow;
constexpr ImageMoment kNever = ImageMoment::Never;

// The row transfer is what a ready boot loader gets unless a variant says
// otherwise; variants 7 to 9 have no "Begin Update" of their own.
constexpr VariantEntry kVariants[] = {
    // variant, "Begin Update",     boot loader ready,         baud, image,  removed
    {1, &D::BeginUpdateVariant1, &D::SendHexRows, 115200, false, kNever},   // waits for the wake-up byte
    {2, &D::BeginUpdateVariant2, &D::SendHexRows, 115200, false, kNever},   // asks the application to hand over
    {3, &D::BeginUpdateVariant3, &D::SendHexRows, 0, false, kNever},        // rows over the radio link
    {4, &D::BeginUpdateVariant4, &D::SendPageImageVariant4, 9600, true, ImageMoment::AfterTransfer},
    {5, &D::BeginUpdateVariant5, &D::SendPageImageVariant5, 9600, true, ImageMoment::AfterTransfer},
    {6, &D::BeginUpdateVariant6, &D::SendPageImageVariant5, 0, true, ImageMoment::AfterBeginUpdate},   // pages over the link
    {7, nullptr, &D::SendHexRows, 0, false, kNever},
    {8, nullptr, &D::SendHexRows, 0, false, kNever},
    {9, nullptr, &D::SendHexRows, 0, false, kNever},
    {10, &D::RunPageUpdate, &D::SendHexRows, 9600, true, kNever},   // the page update
};

} // namespace

const VariantEntry* FindVariant(int variant)
{
    for (const VariantEntry& entry : kVariants)
        if (entry.variant == variant)
            return &entry;
    return nullptr;
}

} // namespace tvqx
