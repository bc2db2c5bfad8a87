// The encoder once more, with the portable walk, under its own namespace, so that one program can compare it
// with the assembly walk.
#define ORVANE_LZSS_PORTABLE 1
#define lzss lzss_portable
#include "channeldb/lzss.cpp"
