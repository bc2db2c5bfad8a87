/* The LZSS compressor the software update tool calls before it sends a software image. Its stream is the
 * shortest one in the receiver's LZSS format (optimal_parse.h), not the classic greedy coder's that the
 * database image file keeps; the receiver's decoder takes either.
 *
 * The caller's destination is its send buffer of LZSS_SEND_BUFFER_SIZE bytes, and the call has no way to be
 * told that size, so the library never writes more than that many bytes. The largest software image is
 * 2,097,152 bytes; its worst-case coded size is 2,097,152 + 2,097,152 / 8 = 2,359,296 bytes (one flag byte
 * per eight literals, which the shortest stream never exceeds), and the other two sizes (1,703,936 ->
 * 1,916,928; 1,179,648 -> 1,327,104) are smaller, so every image the tool accepts fits with room to spare.
 * Any input whose coded form would not fit is refused: nothing is written and the length is set to -1.
 */
#ifndef ORVANE_LZSSCOMPRESS_H
#define ORVANE_LZSSCOMPRESS_H

#include <stdint.h>

#if defined(LZSSCOMPRESS_BUILDING)
#define LZSSCOMPRESS_EXPORT __attribute__((visibility("default")))
#else
#define LZSSCOMPRESS_EXPORT
#endif

#define LZSS_SEND_BUFFER_SIZE 3121153

#ifdef __cplusplus
extern "C" {
#endif

/* Codes `source_length` bytes at `source` into `destination` and stores the coded length in `*length`.
 * A negative or absurd source length, a null pointer, or a coded form longer than LZSS_SEND_BUFFER_SIZE
 * leaves the destination untouched and stores -1 (when `length` is not null). */
LZSSCOMPRESS_EXPORT void LzssCompress(const uint8_t* source, int32_t source_length, uint8_t* destination,
                                      int32_t* length);

#ifdef __cplusplus
}
#endif

#endif
