#include "export_file.h"

#include "output_file.h"

namespace brenwick {

void WriteExportFile(const OutputDestination& destination, const efm::Blocks& blocks, const std::stop_token& stop) {
    efm::HeaderOf(blocks);  // a header that cannot be written stops the export before the output is opened
    OutputFile output(destination, stop);
    efm::WriteFile(blocks, output);  // a failed write makes Commit fail
    output.Commit();
}

}  // namespace brenwick
