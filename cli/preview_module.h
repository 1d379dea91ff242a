// The painting of `brenwick-cli preview` lives in a module of its own, loaded only when a
// picture is asked for: the Qt libraries it needs would otherwise be loaded by every command,
// about 12 ms at each start. The module exports one function of this type under this name.
#ifndef BRENWICK_PREVIEW_MODULE_H
#define BRENWICK_PREVIEW_MODULE_H

#include "fieldmap/slice.h"

#include <exception>
#include <string>

namespace brenwick {

// PaintSlice (preview_painting.h).
using SlicePainting = void (*)(const fieldmap::Slice& slice, const std::string& file_name, const std::string& size,
                               std::string& png, std::exception_ptr& failure);

inline constexpr const char* kPreviewEntryName = "BrenwickPaintSlice";
inline constexpr const char* kPreviewModuleName = "brenwick-preview.so";

}  // namespace brenwick

#endif
