// The potential of an open project: one value per node, read from the result that a project
// tree path names.
#ifndef BRENWICK_FIELD_DATA_H
#define BRENWICK_FIELD_DATA_H

#include "engine/export_control.h"
#include "engine/log_sink.h"
#include "engine/support/large_array.h"
#include "open_project.h"

#include <span>
#include <stop_token>
#include <string>

namespace brenwick {

class FieldData {
public:
    // Reads the result at `result_path` into Values(), logging its field type and value count.
    // Throws "In RetrieveFieldData could not get information about potentials.Maybe the data is
    // not stored in <path>" when the reader cannot tell its size or type, refuses (naming them) a
    // result that is no real scalar field or whose count differs from the node count, and throws
    // "In CST_Readout::RetrieveFieldData could not get information about potentials.Maybe ..."
    // when the values cannot be read; the values are then dropped. A request to stop ends a read
    // of a reader that offers the read monitor with ExportCancelled; `progress` follows the read.
    void Retrieve(OpenProject& project, const std::string& result_path, const LogSink& log, const std::stop_token& stop,
                  const WorkProgress& progress);

    // One value per node in node order, from the last successful read; empty before it.
    std::span<const float> Values() const { return field_values_; }

private:
    LargeVector<float> field_values_;
};

}  // namespace brenwick

#endif
