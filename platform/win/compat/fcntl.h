#pragma once

// The runtime's own header, plus the few POSIX flags the portable code names.
// The Windows call table (platform/win/win_sys_io.cpp) gives them meaning:
// close-on-exec is "not inherited", non-blocking is emulated for pipe reads.
#include_next <fcntl.h>

#ifndef O_CLOEXEC
#define O_CLOEXEC _O_NOINHERIT
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0x00100000
#endif
#ifndef F_GETFL
#define F_GETFL 3
#endif
#ifndef F_SETFL
#define F_SETFL 4
#endif
