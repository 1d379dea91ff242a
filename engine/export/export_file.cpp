#include "export_file.h"

#include "engine/engine_error.h"
#include "engine/export_control.h"
#include "output/output_error.h"
#include "output/output_file.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace brenwick {

namespace {

// The export file's bytes, on their way into the output: large blocks in pieces, so that the
// progress moves and a stop is noticed while a block is written.
class OutputSink : public efm::ByteSink {
public:
    OutputSink(OutputFile& output, std::uint64_t file_size, const WorkProgress& progress)
        : output_(output), file_size_(file_size), progress_(progress) {}

    bool Write(const void* data, std::size_t bytes) override {
        constexpr std::size_t piece = std::size_t{16} << 20;
        const auto* next = static_cast<const unsigned char*>(data);
        for (std::size_t left = bytes; left > 0;) {
            const std::size_t n = std::min(left, piece);
            if (!output_.Write(next, n)) return false;
            next += n;
            left -= n;
            written_ += n;
            if (progress_ && written_ - reported_ >= piece) {
                reported_ = written_;
                progress_(static_cast<double>(written_) / static_cast<double>(file_size_));
            }
        }
        return true;
    }

private:
    OutputFile& output_;
    std::uint64_t file_size_;
    const WorkProgress& progress_;
    std::uint64_t written_ = 0;
    std::uint64_t reported_ = 0;  // the records' small pieces are not reported one by one
};

}  // namespace

void CheckExportHeader(const efm::Blocks& blocks) {
    try {
        efm::HeaderOf(blocks);
    } catch (const efm::HeaderLimitError& limit) {
        throw ExportFileError(kSaveError + std::string(limit.what()));
    }
}

void WriteExportFile(const OutputDestination& destination, const efm::Blocks& blocks, const std::stop_token& stop,
                     const LogSink& notices, const WorkProgress& progress) {
    CheckExportHeader(blocks);  // a header that cannot be written stops the export before the output is opened
    const std::string open_failure = kSaveError + std::string("Unable to open/create file:  ");
    std::error_code error;
    if (!destination.IsStandardOutput() && std::filesystem::is_directory(PathFromText(destination.Name()), error)) {
        throw ExportFileError(open_failure + destination.Name(),
                              "The output " + destination.Name() + " is a folder; give the name of a file in it.");
    }
    try {
        OutputFile output(destination, {open_failure, kSaveError + std::string("Unable to write file:  ")},
                          {[&stop] { StopIfRequested(stop); }, notices});
        OutputSink sink(output, efm::FileSize(blocks), progress);
        efm::WriteFile(blocks, sink);  // a failed write makes Commit fail
        output.Commit();
    } catch (const OutputError& failure) {
        throw ExportFileError(failure.what(), failure.Cause());
    }
}

}  // namespace brenwick
