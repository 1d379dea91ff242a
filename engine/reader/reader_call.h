// Which function of the result reader is running, so that a reader library that ends the
// program in the middle of a call (it calls exit()) is reported instead of passing for a
// program that finished.
#ifndef BRENWICK_READER_CALL_H
#define BRENWICK_READER_CALL_H

namespace brenwick {

// Marks the reader function `name` as running for the life of the object.
class ReaderCallMark {
public:
    explicit ReaderCallMark(const char* name) noexcept;
    ~ReaderCallMark();
    ReaderCallMark(const ReaderCallMark&) = delete;
    ReaderCallMark& operator=(const ReaderCallMark&) = delete;
};

// One of the reader functions with its name: calling it marks it as running.
template <typename Pointer>
class ReaderFunction;

template <typename... Parameters>
class ReaderFunction<int (*)(Parameters...)> {
public:
    using Pointer = int (*)(Parameters...);
    ReaderFunction() = default;
    // `function`, without its name until Named gives it one (NamedReaderFunctions does).
    ReaderFunction(Pointer function) : function_(function) {}

    // This function under `name`.
    ReaderFunction Named(const char* name) const {
        ReaderFunction named(function_);
        named.name_ = name;
        return named;
    }
    const char* Name() const { return name_; }
    // Calls `function` in place of this one, under the same name: for stand-ins in tests and
    // benchmarks.
    void Replace(Pointer function) { function_ = function; }

    // False for an optional function the reader does not offer.
    explicit operator bool() const { return function_ != nullptr; }

    int operator()(Parameters... arguments) const {
        const ReaderCallMark mark(name_);
        return function_(arguments...);
    }

private:
    const char* name_ = nullptr;
    Pointer function_ = nullptr;
};

// Call once at program start, before any reader is called: from then on, exit() called while a
// reader function runs, on its thread or on any other (one the reader started), writes "The
// result reader ended the program during <function>." on standard error and ends the program
// with status 1.
void ReportProgramEndInReaderCalls();

}  // namespace brenwick

#endif
