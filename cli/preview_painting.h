// The painting of `brenwick-cli preview`, which the program loads as a module of its own
// (preview_module.h).
#ifndef BRENWICK_PREVIEW_PAINTING_H
#define BRENWICK_PREVIEW_PAINTING_H

#include "fieldmap/slice.h"

#include <exception>
#include <string>

namespace brenwick {

// Paints `slice` as a PNG picture into `png`, titled with `file_name`, `size` pixels large
// ("WIDTHxHEIGHT"; empty: the default width with a height that suits the slice). What fails
// lands in `failure`, so that no exception leaves a module. Makes the QGuiApplication that
// painting needs when there is none yet, always on the offscreen platform: QT_QPA_PLATFORM is
// not followed.
void PaintSlice(const fieldmap::Slice& slice, const std::string& file_name, const std::string& size, std::string& png,
                std::exception_ptr& failure);

}  // namespace brenwick

#endif
