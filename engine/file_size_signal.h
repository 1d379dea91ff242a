// A program that exports must survive a file size limit (ulimit -f): the write then fails
// and is reported, and no partial file is left, instead of SIGXFSZ ending the program.
#ifndef BRENWICK_FILE_SIZE_SIGNAL_H
#define BRENWICK_FILE_SIZE_SIGNAL_H

namespace brenwick {

// Call once at program start, before any export.
void IgnoreFileSizeSignal();

}  // namespace brenwick

#endif
