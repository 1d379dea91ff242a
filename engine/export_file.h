// Writing one export file for the engine: the blocks in the export file format, into an
// output that is replaced only once the new file is complete.
#ifndef BRENWICK_EXPORT_FILE_H
#define BRENWICK_EXPORT_FILE_H

#include "efm/writer.h"

#include <stop_token>
#include <string>

namespace brenwick {

// Writes the file. Throws std::runtime_error
//   "BinaryFileFormat::Save: Error. Unable to open/create file:  <path>" when the output cannot
//   be created, "BinaryFileFormat::Save: Error. Unable to write file:  <path>" when writing,
//   closing or renaming fails, and as efm::HeaderOf when a count does not fit the header
//   (then before the output is touched). A request to stop while the file is written ends
//   the export with ExportCancelled and leaves the output as it was.
void WriteExportFile(const std::string& path, const efm::Blocks& blocks, const std::stop_token& stop = {});

}  // namespace brenwick

#endif
