// Qt paints large pictures in parts on the threads of its global pool and waits for every part;
// a part whose thread cannot be started (a limit on processes and threads) would leave it
// waiting for ever.
#ifndef BRENWICK_RENDER_PAINTING_THREADS_H
#define BRENWICK_RENDER_PAINTING_THREADS_H

namespace brenwick::render {

// Call before painting on a thread outside Qt's global pool: limits the pool to as many threads
// as can be started now. Throws std::runtime_error when not one can.
void FitPaintingThreadsToRoom();

}  // namespace brenwick::render

#endif
