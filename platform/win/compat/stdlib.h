#pragma once

// The runtime's header, plus mkdtemp(3), which the Windows runtime lacks
// (platform/win/win_mkdtemp.cpp).
#include_next <stdlib.h>

#ifdef __cplusplus
extern "C" {
#endif

char* mkdtemp(char* name_template);

#ifdef __cplusplus
}
#endif
