/* The public header compiles as C and the export is callable from C. */
#include "pictures/lzsscompress/lzsscompress.h"

int32_t LzssCompressFromC(const uint8_t* source, int32_t n, uint8_t* destination) {
  int32_t length = 0;
  LzssCompress(source, n, destination, &length);
  return length;
}
