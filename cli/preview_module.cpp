// The module that `brenwick-cli preview` loads to paint (preview_module.h).
#include "preview_module.h"

#include "preview_painting.h"

extern "C" __attribute__((visibility("default"))) void BrenwickPaintSlice(const brenwick::fieldmap::Slice& slice,
                                                                          const std::string& file_name,
                                                                          const std::string& size, std::string& png,
                                                                          std::exception_ptr& failure) {
    brenwick::PaintSlice(slice, file_name, size, png, failure);
}

static_assert(std::is_same_v<decltype(&BrenwickPaintSlice), brenwick::SlicePainting>);
