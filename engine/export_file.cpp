#include "export_file.h"

#include "export_control.h"
#include "output_file.h"

namespace brenwick {

namespace {

// The export file's bytes, on their way into the output.
class OutputSink : public efm::ByteSink {
public:
    explicit OutputSink(OutputFile& output) : output_(output) {}
    bool Write(const void* data, std::size_t bytes) override { return output_.Write(data, bytes); }

private:
    OutputFile& output_;
};

}  // namespace

void WriteExportFile(const OutputDestination& destination, const efm::Blocks& blocks, const std::stop_token& stop,
                     const LogSink& notices) {
    efm::HeaderOf(blocks);  // a header that cannot be written stops the export before the output is opened
    OutputFile output(destination,
                      {"BinaryFileFormat::Save: Error. Unable to open/create file:  ",
                       "BinaryFileFormat::Save: Error. Unable to write file:  "},
                      {[&stop] { StopIfRequested(stop); }, notices});
    OutputSink sink(output);
    efm::WriteFile(blocks, sink);  // a failed write makes Commit fail
    output.Commit();
}

}  // namespace brenwick
