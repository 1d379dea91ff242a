// LinkedReader for programs built without HDF5, which have no built-in reader.
#include "engine/engine_error.h"
#include "reader_functions.h"
#include "reader_library.h"

#include <stdexcept>

namespace brenwick {

std::shared_ptr<const ResultReader> LinkedReader() {
    throw ReaderError(std::string("This build of Brenwick has no built-in result reader (it was built without "
                                  "HDF5); name a reader library with --reader or ") +
                      kReaderVariable + ".");
}

}  // namespace brenwick
