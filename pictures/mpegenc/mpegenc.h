/* The MPEG-2 still-frame encoder the picture tools call: one 704 x 576 RGB frame in, an MPEG-2 video stream
 * (ISO/IEC 13818-2) of one intra frame out, coded with the parameters of the encoder parameter file
 * "orbelimg.dat" in the program's Windows directory ($ORVANE_WINDIR, else $XDG_CONFIG_HOME/orvane, else
 * ~/.config/orvane). The file is read at every encode; when it is missing or unreadable the program's own 55
 * lines are used (said once on stderr), and a line that cannot be used takes that line's built-in value.
 *
 * Size: one frame's share of a stream at the set bit rate, bit rate / (8 x frame rate) bytes (bit rate / 200 at
 * 25 frames/s: 2,000,000 bit/s -> 10,000 bytes), is the target. The stream is the largest the encoder finds
 * that is not larger than the target, mixing two neighbouring quantisers row by row; when even the coarsest
 * quantiser gives more, that stream is returned so that the caller's own limit decides.
 *
 * Bit rate: the rate is clamped to what the stream can carry: at least 400 bit/s (0 and negative rates become
 * 400), at most one VBV buffer per frame (vbv_buffer_size x 16,384 x frame rate: 45,875,200 bit/s with the
 * built-in 112 at 25 frames/s). The sequence header carries the clamped rate. The target is also never more
 * than the VBV buffer, nor more than MPEG_OUTPUT_BUFFER_SIZE.
 *
 * Only one thread may call the encoder at a time (the bit rate and the last report are process-wide).
 */
#ifndef ORVANE_MPEGENC_H
#define ORVANE_MPEGENC_H

#include <stdint.h>

#if defined(MPEGENC_BUILDING)
#define MPEGENC_EXPORT __attribute__((visibility("default")))
#else
#define MPEGENC_EXPORT
#endif

#define MPEG_FRAME_WIDTH 704
#define MPEG_FRAME_HEIGHT 576
#define MPEG_FRAME_LENGTH 1216512 /* 704 x 576 x 3 */
#define MPEG_OUTPUT_BUFFER_SIZE 131072

/* MpegEncodeInfo.status */
#define MPEG_STATUS_OK 0
#define MPEG_STATUS_BAD_ARGUMENT 1 /* null pointer or frame length other than MPEG_FRAME_LENGTH */
#define MPEG_STATUS_TOO_LARGE 2    /* even the coarsest stream exceeds the output buffer: nothing written */
#define MPEG_STATUS_FAILED 3       /* libavcodec or libswscale failed */
#define MPEG_STATUS_NONE 4         /* no encode yet */

#ifdef __cplusplus
extern "C" {
#endif

/* What the last MPEGRAWBUF2ENC call did. */
typedef struct MpegEncodeInfo {
  int32_t status;             /* MPEG_STATUS_* */
  int32_t length;             /* the length the call stored */
  int32_t target;             /* bytes aimed at */
  int32_t bit_rate;           /* bit rate used (after the clamp) and written in the sequence header */
  int32_t buffer_size;        /* MPEG_OUTPUT_BUFFER_SIZE */
  int32_t coarse_quantiser;   /* quantiser_scale_code of most rows (1..31) */
  int32_t coarse_rows;        /* of the 36 macroblock rows */
  int32_t fine_quantiser;     /* the next finer code, or 0 when one code serves the whole frame */
  int32_t fine_rows;
  int32_t encodes;            /* encodes tried in the search */
  int32_t parameters_from_file; /* 1: the parameter file was read; 0: the built-in lines were used */
} MpegEncodeInfo;

/* Sets the bit rate, in bits per second, of the following encodes (until it is set again). Before the first
 * call the parameter file's bit_rate line serves. */
MPEGENC_EXPORT void MPEGSetBitrate(int32_t bitsPerSecond);

/* Encodes `frameLength` bytes at `rawFrame` (MPEG_FRAME_LENGTH: 576 rows top-down, 3 bytes per pixel R, G, B)
 * into `output`, which must have room for MPEG_OUTPUT_BUFFER_SIZE bytes; never more than that is written.
 * `*outputLength` receives the stream's length. A null pointer or another frame length writes nothing and
 * stores 0 (when `outputLength` is not null). A stream that would not fit even at the coarsest quantiser
 * (it does not happen with 4:2:0 frames) writes nothing and stores its length, which is then larger than the
 * buffer; a failure of libavcodec stores 0. */
MPEGENC_EXPORT void MPEGRAWBUF2ENC(const uint8_t* rawFrame, int32_t frameLength, uint8_t* output,
                                   int32_t* outputLength);

/* Copies the report of the last MPEGRAWBUF2ENC call into `*info` (nothing when `info` is null). */
MPEGENC_EXPORT void MPEGGetLastEncodeInfo(MpegEncodeInfo* info);

#ifdef __cplusplus
}
#endif

#endif
