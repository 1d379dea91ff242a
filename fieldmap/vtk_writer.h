// An export file as a VTK XML RectilinearGrid file (.vtr), which ParaView, VisIt and PyVista
// open as it is:
//
//   coordinates  the mesh lines (Float64); in a file of potentials only, the node indices
//   point data   potential    (Float32) the node values
//   cell data    material     (UInt8)   the element's material byte, the position of its record
//                material_id            the ID of that record: UInt8 when every ID is a whole
//                                       number from 0 to 254, with 255 for a byte that names no
//                                       record; otherwise Float32, with NaN for such a byte
//                eps          (Float32) the eps of that record; NaN for a byte that names none
//                property     (Float32) the element property, when the file holds them
//
// A file without element materials has no cell data but `property`, when present. The data
// follow the XML as raw little-endian appended data, each array behind a 64-bit byte count
// (header_type="UInt64"), so that arrays beyond 4 GiB work.
#ifndef BRENWICK_FIELDMAP_VTK_WRITER_H
#define BRENWICK_FIELDMAP_VTK_WRITER_H

#include "efm/reader.h"
#include "output/output_destination.h"
#include "output/output_file.h"

namespace brenwick::fieldmap {

// The material_id of a byte that names no record, when the IDs are written as bytes.
inline constexpr unsigned char kNoRecordByteId = 255;

// Writes the .vtr file, block by block in pieces of a few MiB, so that memory stays small
// whatever the size of the map. The output is written as OutputFile (output/output_file.h)
// writes any output of the program: a replaced file appears only once complete.
// Throws efm::FormatError when the export file cannot be read and std::runtime_error when the
// output cannot be written.
void WriteVtr(efm::Reader& reader, const OutputDestination& output, const OutputControl& control = {});

}  // namespace brenwick::fieldmap

#endif
