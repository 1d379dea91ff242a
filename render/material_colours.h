// The colours of material records in pictures: pale blue tones for the drift gas, which usually
// fills most of a picture, and strong distinct colours for the solids; magenta, which no record
// gets, marks elements whose byte names no record.
#ifndef BRENWICK_RENDER_MATERIAL_COLOURS_H
#define BRENWICK_RENDER_MATERIAL_COLOURS_H

#include "efm/format.h"

#include <QColor>

#include <span>
#include <vector>

namespace brenwick::render {

inline const QColor kNoRecordColour{255, 0, 255};

// One colour per record, in record order, distinct from each other and from kNoRecordColour.
std::vector<QColor> MaterialColours(std::span<const efm::MaterialRecord> records);

}  // namespace brenwick::render

#endif
