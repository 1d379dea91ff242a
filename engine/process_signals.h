// The signals that concern a program's outputs, handled alike by both front ends:
// - SIGXFSZ (a file size limit, ulimit -f) and SIGPIPE (a pipe or FIFO whose reader has gone)
//   are ignored, so that such a write fails and is reported like a full disk, instead of the
//   signal ending the program beside a partial file;
// - SIGINT, SIGTERM and SIGHUP remove the temporary files of the outputs being written, then
//   end the program as the signal would have (status 130, 143, 129 in a shell). Whatever the
//   program is doing (inside a reader call, writing), an output that existed keeps its bytes.
//   A signal the program was started with ignored stays ignored.
#ifndef BRENWICK_PROCESS_SIGNALS_H
#define BRENWICK_PROCESS_SIGNALS_H

namespace brenwick {

// Call once at program start, before any other thread exists: the three ending signals are
// then blocked in every thread and taken by one thread of their own.
void PrepareProcessSignals();

}  // namespace brenwick

#endif
