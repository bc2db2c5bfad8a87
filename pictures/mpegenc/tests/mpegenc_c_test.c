/* The public header compiles as C and every export is callable from C. */
#include "pictures/mpegenc/mpegenc.h"

int32_t MpegEncodeFromC(const uint8_t* frame, int32_t frame_length, int32_t bit_rate, uint8_t* output,
                        MpegEncodeInfo* info) {
  int32_t length = -7;
  MPEGSetBitrate(bit_rate);
  MPEGRAWBUF2ENC(frame, frame_length, output, &length);
  MPEGGetLastEncodeInfo(info);
  MPEGGetLastEncodeInfo(0);
  return length;
}
