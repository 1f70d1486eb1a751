#pragma once

// flock(2)'s operations; the Windows call table maps them onto LockFileEx.
#include <fcntl.h>

#define LOCK_SH 1
#define LOCK_EX 2
#define LOCK_NB 4
#define LOCK_UN 8
