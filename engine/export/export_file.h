// Writing one export file for the engine: the blocks in the export file format, into a file
// or standard output, written so that nothing the export did not create is damaged.
#ifndef BRENWICK_EXPORT_FILE_H
#define BRENWICK_EXPORT_FILE_H

#include "efm/writer.h"
#include "engine/export_control.h"
#include "engine/log_sink.h"
#include "output/output_destination.h"

#include <stop_token>

namespace brenwick {

// The prefix of every failure of the export file.
inline constexpr const char* kSaveError = "BinaryFileFormat::Save: Error. ";

// Throws ExportFileError "BinaryFileFormat::Save: Error. <key>=<count> does not fit the 32-bit
// integer of the export file header." when a count of the blocks does not fit the header.
void CheckExportHeader(const efm::Blocks& blocks);

// Writes the file, as OutputFile (output_file.h) writes its destination. Throws ExportFileError
//   "BinaryFileFormat::Save: Error. Unable to open/create file:  <name>" when the output cannot
//   be opened, "BinaryFileFormat::Save: Error. Unable to write file:  <name>" when writing,
//   closing or renaming fails, and as CheckExportHeader (then before the output is touched).
//   A request to stop ends the export with ExportCancelled and leaves the output as it was.
//   `notices` hears of a wait for the output (a FIFO without a reader); `progress` is told the
//   share of the file's bytes written.
void WriteExportFile(const OutputDestination& destination, const efm::Blocks& blocks, const std::stop_token& stop = {},
                     const LogSink& notices = {}, const WorkProgress& progress = {});

}  // namespace brenwick

#endif
