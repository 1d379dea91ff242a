// The element properties computed from the material matrix a few node planes at a time, for a
// reader that offers the plane reads (result_reader.h): an element needs only the node at its
// lower corner, so a layer of elements needs only its own node plane, and the whole matrix (12
// bytes per node) never has to exist.
#ifndef BRENWICK_MATERIAL_PLANES_H
#define BRENWICK_MATERIAL_PLANES_H

#include "engine/export_control.h"
#include "engine/project/open_project.h"

#include <stop_token>

namespace brenwick {

// Whether the reader can give the material matrix a few node planes at a time.
bool ReadsMaterialPlanes(const ResultReader& reader);

// Throws ProjectError "Didn't found quantity <q> due to error <status> and skip it." with the
// reader's words for `status` as its cause, or ExportCancelled when `stop` was asked to stop
// (a read that the monitor stopped).
[[noreturn]] void FailMaterialMatrix(unsigned quantity, int status, const std::stop_token& stop);

// Fills `properties` (one value per element, in element order) as ComputeElementProperties
// does from the whole matrix, reading the planes of a few element layers at a time into one
// window that every slab reuses. Stops with ExportCancelled between slabs and, through the read
// monitor, inside a slab's read; `progress` follows the slabs. Throws as FailMaterialMatrix when
// the reader fails.
void ComputePropertiesByPlanes(OpenProject& project, unsigned quantity, float* properties, const std::stop_token& stop,
                               const WorkProgress& progress);

}  // namespace brenwick

#endif
