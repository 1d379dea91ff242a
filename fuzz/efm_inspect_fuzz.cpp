// Fuzz target: any bytes as an export file, read by the reader behind `brenwick-cli inspect`.
//
// Every header the sixteen numbers can form, counts that promise more or fewer bytes than the
// file has, material records cut anywhere and any mesh lines must give a report, never a crash;
// the report calls a file well-formed only when its size is exactly what the header and records
// imply, and exactly when the reader behind preview, convert and probe accepts it.
#include "efm/inspection.h"
#include "efm/reader.h"
#include "fuzz_support.h"

#include <cstdint>
#include <sstream>
#include <string>

using namespace brenwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const efm::Report report = efm::Inspect(in, size);
    if (report.Valid()) {
        FuzzCheck(report.header.has_value(), "a well-formed report without a header");
        FuzzCheck(report.expected_size == size, "a well-formed report whose implied size is not the file's");
        FuzzCheck(report.materials.size() == static_cast<std::size_t>((*report.header)[efm::Key::n_materials]),
                  "a well-formed report with another number of material records than its header counts");
    }
    bool readable = true;
    try {
        std::istringstream again(std::string(reinterpret_cast<const char*>(data), size));
        efm::Reader reader(again, size);
    } catch (const efm::FormatError&) {
        readable = false;
    }
    FuzzCheck(readable == report.Valid(), "inspect and the reader disagree whether a file is well-formed");
    return 0;
}
