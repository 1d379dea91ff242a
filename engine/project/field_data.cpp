#include "field_data.h"

#include "efm/grid.h"
#include "engine/engine_error.h"
#include "engine/reader/read_monitor.h"
#include "engine/reader/reader_functions.h"
#include "engine/support/large_array.h"

#include <algorithm>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace brenwick {

namespace {

[[noreturn]] void FailFieldData(const char* first_piece, const std::string& result_path, int status) {
    std::ostringstream message;
    message << first_piece << "Maybe the data is not stored in " << result_path;
    throw ProjectError(message.str(), "The result reader " + ReaderStatusWords(status, "failed") + ".");
}

const char* const info_failure = "In RetrieveFieldData could not get information about potentials.";
const char* const read_failure = "In CST_Readout::RetrieveFieldData could not get information about potentials.";

// What the engine says of each field type: its name, and the line it writes before the value count.
struct FieldTypeTexts {
    const char* name;
    const char* line;
};

// The texts of a field type code; none for a code that names no field type.
const FieldTypeTexts* TextsOf(int code) {
    static const FieldTypeTexts complex_vector{"Complex vector field",
                                               "Number of data found (Re,Im for E_x,E_y,E_z -> 6x#nodes): "};
    static const FieldTypeTexts real_vector{"Real vector field",
                                            "This is a real vector field (Re for E_x,E_y,E_z -> 3x#nodes): "};
    static const FieldTypeTexts complex_scalar{"Complex scalar field",
                                               "This is a complex scalar field (RE,Im -> 2x#nodes): "};
    static const FieldTypeTexts real_scalar{"Real scalar field",
                                            "Number of data found (real scalar field -> #nodes): "};
    switch (code) {
    case BRENWICK_COMPLEX_VECTOR_FIELD: return &complex_vector;
    case BRENWICK_REAL_VECTOR_FIELD: return &real_vector;
    case BRENWICK_COMPLEX_SCALAR_FIELD: return &complex_scalar;
    case BRENWICK_REAL_SCALAR_FIELD: return &real_scalar;
    default: return nullptr;
    }
}

// Why a result of this type and count cannot be exported as the potential; empty when it can.
std::string Refusal(const std::string& result_path, int field_type, int count, std::size_t node_count) {
    std::ostringstream refusal;
    const FieldTypeTexts* texts = TextsOf(field_type);
    if (texts == nullptr) {
        refusal << "In CST_Readout::RetrieveFieldData the result " << result_path << " has the unknown field type code "
                << field_type << "; only a real scalar field can be exported as potential.";
    } else if (field_type != BRENWICK_REAL_SCALAR_FIELD) {
        refusal << "In CST_Readout::RetrieveFieldData the result " << result_path << " is a " << texts->name
                << "; only a real scalar field can be exported as potential.";
    } else if (count < 0 || static_cast<std::size_t>(count) != node_count) {
        refusal << "In CST_Readout::RetrieveFieldData the result " << result_path << " holds " << count
                << " values, but the mesh has " << node_count << " nodes.";
    }
    return refusal.str();
}

}  // namespace

void FieldData::Retrieve(OpenProject& project, const std::string& result_path, const LogSink& log,
                         const std::stop_token& stop, const WorkProgress& progress) {
    const ResultReader& reader = project.Reader();
    CSTProjHandle& handle = project.Handle();
    int count = 0;
    int reader_status = reader.functions.get_3d_hex_result_size(&handle, result_path.c_str(), 0, &count);
    if (reader_status != 0) FailFieldData(info_failure, result_path, reader_status);
    int field_type = 0;
    reader_status = reader.functions.get_3d_hex_result_info(&handle, result_path.c_str(), 0, 1, 0, 0, &field_type, 0);
    if (reader_status != 0) FailFieldData(info_failure, result_path, reader_status);

    if (const FieldTypeTexts* texts = TextsOf(field_type)) log(texts->line + std::to_string(count));
    const std::size_t node_count = efm::NodeCount(project.Dims());
    if (const std::string refusal = Refusal(result_path, field_type, count, node_count); !refusal.empty()) {
        throw ProjectError(refusal);
    }

    // A reader whose writes are known fills the potential in place. Any other gets room for six
    // values per counted value, as such a reader may expect; only the first value per node is
    // kept, so only those are filled with NaN, for the values the reader does not write.
    const bool direct = reader.writes_known;
    LargeArray<float> buffer;
    if (!direct) {
        buffer = MakeLargeArray<float>({"the potential as the reader delivers it", node_count, 6});
        std::fill_n(buffer.get(), node_count, kUnwritten);
    }
    ResizeLargeArray(field_values_, {"the potential", node_count});
    float* destination = direct ? field_values_.data() : buffer.get();
    {
        const ReadMonitor monitor(reader, handle, stop, progress);
        reader_status = reader.functions.get_3d_hex_result(&handle, result_path.c_str(), 0, destination);
    }
    if (reader_status != 0) {
        field_values_.clear();  // partly overwritten; never to be exported
        StopIfRequested(stop);  // a read the monitor stopped
        FailFieldData(read_failure, result_path, reader_status);
    }
    if (!direct) std::copy_n(buffer.get(), node_count, field_values_.begin());
}

}  // namespace brenwick
