#pragma once

// Work in the background gives the processor to the window. Qt cannot be
// asked for this in one way for every kind of thread: on Linux Qt 6.4 maps
// QThread::IdlePriority to SCHED_IDLE (qthread_unix.cpp) but every other
// priority below normal to SCHED_OTHER at its only level, 0 - LowPriority
// changes nothing - and a pool's or std::async's thread takes no QThread
// priority at all. So each worker lowers itself, once, as it starts.

// Puts the calling thread at idle scheduling: Linux's SCHED_IDLE, where it
// runs only on a processor that nothing else wants, and where the block
// layer puts its reads and writes behind everyone else's too. Where that is
// refused, the lowest nice value. name, when given, is how the thread shows
// in top -H and /proc (15 bytes at most).
//
// A thread at idle priority may wait long for the processor on a busy
// machine: it must not hold anything the window's thread waits for.
void runAtIdlePriority(const char *name = nullptr);
