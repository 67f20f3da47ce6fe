#include "host_abi.h"
extern "C" __attribute__((visibility("default"))) int32_t c4d_main(int32_t, void*, void*, void*) { return -1; }
