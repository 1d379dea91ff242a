// The signals that concern a program's outputs, handled alike by both front ends:
// - SIGXFSZ (a file size limit, ulimit -f) and SIGPIPE (a pipe or FIFO whose reader has gone)
//   are caught and let pass, so that such a write fails and is reported like a full disk,
//   instead of the signal ending the program beside a partial file;
// - SIGINT, SIGTERM and SIGHUP remove the temporary files of the outputs being written, then
//   end the program as the signal would have (status 130, 143, 129 in a shell). Whatever the
//   program is doing (inside a reader call, writing), an output that existed keeps its bytes.
//   A signal the program was started with ignored stays ignored.
// No signal is blocked or ignored for this: every process that the program or a reader starts
// (fork, exec, posix_spawn, system) begins with the default mask and actions, so that kill and
// Ctrl-C end it.
#ifndef BRENWICK_PROCESS_SIGNALS_H
#define BRENWICK_PROCESS_SIGNALS_H

namespace brenwick {

// Call once at program start: the three ending signals are then handed to one thread of their
// own. Where no thread can be started they keep their default action (the program ends at once,
// but may leave its temporary files).
void PrepareProcessSignals();

}  // namespace brenwick

#endif
