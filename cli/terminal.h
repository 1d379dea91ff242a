// Whether a stream of the program goes to a terminal: only a person watching needs progress
// lines, and the bytes of an export file do not belong on a screen.
#ifndef BRENWICK_TERMINAL_H
#define BRENWICK_TERMINAL_H

#include <cstdio>

namespace brenwick {

bool IsTerminal(std::FILE* stream);
bool IsTerminal(int descriptor);

}  // namespace brenwick

#endif
