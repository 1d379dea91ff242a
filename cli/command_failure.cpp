#include "command_failure.h"

#include "efm/reader.h"
#include "engine/engine_error.h"
#include "output/output_target.h"
#include "platform/write_error.h"

#include <exception>
#include <new>
#include <stdexcept>

namespace brenwick {

void RefuseToReplaceInput(const std::string& input, const OutputDestination& output) {
    if (SameFile(output, input)) {
        throw std::runtime_error("the output " + output.Name() + " is the input file; choose another output");
    }
}

std::string FailureText(const char* command, const std::string& input, std::exception_ptr failure) {
    const std::string prefix = std::string(command) + ": ";
    try {
        std::rethrow_exception(failure);
    } catch (const efm::FormatError& error) {
        return prefix + input + " is no readable export file: " + error.what();
    } catch (const EngineError& error) {
        return error.what() + CauseLine(error);
    } catch (const OutOfMemory& error) {
        return error.what();
    } catch (const std::bad_alloc&) {
        return prefix + "not enough memory";
    } catch (const std::exception& error) {
        return prefix + error.what() + CauseLine(error);
    } catch (...) {
        return prefix + "unknown failure";
    }
}

int CheckWritten(const char* command, int status, std::ostream& out, std::ostream& err) {
    ForgetWriteError();
    if (out.flush()) return status;
    err << command << ": "
        << (WriteFoundNoReader() ? "standard output was closed by its reader" : "cannot write the result") << std::endl;
    return kFailureStatus;
}

}  // namespace brenwick
