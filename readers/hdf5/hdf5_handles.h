// Small owning wrappers for HDF5 identifiers, shared by the built-in reader, the project
// writer and their tests.
//
// Each wrapper holds one hid_t and closes it with the matching H5*close when it goes out of
// scope, so that no early return or exception leaves an HDF5 object open.
#ifndef BRENWICK_HDF5_HANDLES_H
#define BRENWICK_HDF5_HANDLES_H

#include <hdf5.h>

#include <string>
#include <utility>

namespace brenwick::h5 {

// Owns one HDF5 identifier; Close is the H5*close function for its kind of object.
template <herr_t (*Close)(hid_t)>
class Handle {
public:
    Handle() noexcept = default;
    // Takes ownership of id; a negative id (a failed HDF5 call) makes an invalid handle.
    explicit Handle(hid_t id) noexcept : id_(id) {}
    ~Handle() { reset(); }

    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : id_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    bool valid() const noexcept { return id_ >= 0; }
    explicit operator bool() const noexcept { return valid(); }
    hid_t get() const noexcept { return id_; }

    // Gives up ownership without closing.
    hid_t release() noexcept { return std::exchange(id_, H5I_INVALID_HID); }

    // Closes the held identifier (if any) and takes id instead.
    void reset(hid_t id = H5I_INVALID_HID) noexcept {
        if (id_ >= 0) Close(id_);
        id_ = id;
    }

    // Closes the held identifier now and reports whether HDF5 closed it without error.
    bool close() noexcept {
        if (id_ < 0) return true;
        const herr_t status = Close(release());
        return status >= 0;
    }

private:
    hid_t id_ = H5I_INVALID_HID;
};

using File = Handle<H5Fclose>;
using Group = Handle<H5Gclose>;
using Dataset = Handle<H5Dclose>;
using Dataspace = Handle<H5Sclose>;
using Attribute = Handle<H5Aclose>;
using Datatype = Handle<H5Tclose>;
using PropertyList = Handle<H5Pclose>;
// Any object opened with H5Oopen (a group, dataset or named datatype).
using Object = Handle<H5Oclose>;

// Turns off HDF5's own printing of its error stack on standard error. The setting belongs to
// the calling thread in a thread-safe HDF5 build, so this is done once per thread; later calls
// cost one test of a thread-local flag.
inline void SilenceErrorPrinting() noexcept {
    thread_local bool silenced = false;
    if (!silenced) {
        H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
        silenced = true;
    }
}

namespace detail {
inline herr_t TakeInnermostError(unsigned n, const H5E_error2_t* error, void* data) {
    if (n == 0 && error != nullptr && error->desc != nullptr) {
        *static_cast<std::string*>(data) = error->desc;
    }
    return 0;
}
}  // namespace detail

// The description of the innermost entry of the calling thread's HDF5 error stack (the most
// specific cause of the last failed HDF5 call), or an empty string. Call it right after the
// failed call: the next HDF5 call clears the stack.
inline std::string LastErrorText() {
    std::string text;
    H5Ewalk2(H5E_DEFAULT, H5E_WALK_UPWARD, detail::TakeInnermostError, &text);
    return text;
}

}  // namespace brenwick::h5

#endif
