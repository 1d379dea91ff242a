// The failures the engine raises, by what failed, so that the front ends branch on the type and
// never on the text. what() is the fixed message, exactly as the engine has always said it; the
// cause, when one is known, is kept apart in words for the user ("The material file m.xml does
// not exist.") so that callers that show only what() are unchanged.
#ifndef BRENWICK_ENGINE_ERROR_H
#define BRENWICK_ENGINE_ERROR_H

#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

namespace brenwick {

class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& message, std::string cause = {})
        : std::runtime_error(message), cause_(std::move(cause)) {}
    // Empty when nothing is known beyond the message.
    const std::string& Cause() const { return cause_; }

private:
    std::string cause_;
};

// The result reader cannot be had: a library that cannot be loaded, or none built in.
class ReaderError : public EngineError {
    using EngineError::EngineError;
};

// The project, through the reader: opening it, its mesh, its potential, its material matrix,
// the element properties derived from it, closing it.
class ProjectError : public EngineError {
    using EngineError::EngineError;
};

// The material file and the catalogue read from it.
class MaterialFileError : public EngineError {
    using EngineError::EngineError;
};

// The export file: its output cannot be opened or written, it would replace an input, or its
// header cannot hold a count.
class ExportFileError : public EngineError {
    using EngineError::EngineError;
};

// A large array that could not be allocated. what() names it, for example
// "Not enough memory for the material matrix: 3 x 8,000,000,000 floats, 89.4 GiB."
// A bad_alloc, as a lack of memory has always been, not an EngineError.
class OutOfMemory : public std::bad_alloc {
public:
    explicit OutOfMemory(std::string message) : message_(std::make_shared<const std::string>(std::move(message))) {}
    const char* what() const noexcept override { return message_->c_str(); }

private:
    std::shared_ptr<const std::string> message_;  // shared, so that copying cannot throw
};

// The cause of `failure` (an EngineError's, or an OutputError's from output/output_error.h) on a
// line of its own after a line end, or nothing when it has none.
std::string CauseLine(const std::exception& failure);

}  // namespace brenwick

#endif
