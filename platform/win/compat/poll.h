#pragma once

// The readiness record the system-call table takes. Windows has no poll(2)
// for pipes and files; the Windows call table answers it with
// PeekNamedPipe (platform/win/win_poll.cpp).

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned long nfds_t;

struct pollfd {
  int fd;
  short events;
  short revents;
};

#define POLLIN 0x0001
#define POLLPRI 0x0002
#define POLLOUT 0x0004
#define POLLERR 0x0008
#define POLLHUP 0x0010
#define POLLNVAL 0x0020

#ifdef __cplusplus
}
#endif
