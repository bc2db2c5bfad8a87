/* Korva: the receiver's channel database image file (64 KB, *.tpd).
 *
 * All buffers belong to the caller and must have exactly the sizes below. Multi-byte fields inside them are
 * little-endian and packed. The library keeps one process-wide working state between calls (the current
 * packed database and the first 28 KB of the last loaded file), so calls must not overlap: make them from one
 * thread. No export throws or allocates for the caller.
 */
#ifndef KORVA_H
#define KORVA_H

#include <stdint.h>

#if defined(KORVA_BUILDING)
#define KORVA_EXPORT __attribute__((visibility("default")))
#else
#define KORVA_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Buffer sizes, in bytes. */
#define KORVA_SATELLITE_IMAGE_SIZE 190332  /* SatelliteImage: satellites and transponders */
#define KORVA_SATELLITE_NAME_TABLE_SIZE 4992 /* SatelliteNameTable: 156 names of 32 bytes */
#define KORVA_CHANNEL_TABLE_SIZE 19208     /* ChannelTable: count, 400 entries, end marker */
#define KORVA_DATABASE_FILE_SIZE 65536     /* the database image file */

/* Results of DELVO_SaveNewData. Nothing is written unless the result is KORVA_SAVE_OK; a failed save never
 * leaves a partial file behind (the file is written to a temporary name in its folder, flushed and renamed over
 * the target). A symbolic link is followed and the file it names replaced; the file's mode is kept (a new file
 * gets 0666 less the umask); a target that is not a regular file, or a file without write permission, is
 * refused. A hard-linked file, or a writable file in a folder that is not, is written in place instead. */
#define KORVA_SAVE_OK 0
#define KORVA_SAVE_BAD_ARGUMENT 1     /* a null path or buffer */
#define KORVA_SAVE_PACKED_TOO_BIG 2   /* the compressed packed database needs more than 16372 bytes */
#define KORVA_SAVE_INNER_TOO_BIG 3    /* the compressed inner image needs more than 28660 bytes */
#define KORVA_SAVE_CANNOT_CREATE 4    /* the file (or its temporary twin) could not be created or is refused;
                                       * errno tells why (EINVAL: the target is not a regular file) */
#define KORVA_SAVE_WRITE_FAILED 5     /* writing, flushing or renaming failed (disk full, I/O error); errno tells */
#define KORVA_SAVE_INTERNAL_ERROR 6   /* an unexpected failure inside the library (out of memory) */

/* Fills `satellite_image` with the built-in default database (133 satellites, 1379 transponders, no names,
 * no channels), which also becomes the current packed database. Returns `satellite_image`; null when it is
 * null. */
KORVA_EXPORT uint8_t* DELVO_LoadDefaultData(uint8_t* satellite_image);

/* Reads the database image file at `path` into the three buffers (a FIFO or device is not opened for reading,
 * it counts as missing). A missing, short or damaged file is no error: what cannot be read comes back as the defaults (satellites) or as zero bytes (names, channels).
 * Corrupt compressed blocks are decoded as far as they are sound; nothing is read or written outside a buffer.
 * Returns `satellite_image`; null when any argument is null (then nothing is touched). */
KORVA_EXPORT uint8_t* DELVO_LoadNewData(const char* path, uint8_t* satellite_image, uint8_t* satellite_name_table,
                                        uint8_t* channel_table);

/* Writes the three buffers as a 65536-byte database image file at `path` (created or replaced).
 * Returns one of the KORVA_SAVE_* results above. */
KORVA_EXPORT int32_t DELVO_SaveNewData(const char* path, const uint8_t* satellite_image,
                                       const uint8_t* satellite_name_table, const uint8_t* channel_table);

#ifdef __cplusplus
}
#endif

#endif /* KORVA_H */
