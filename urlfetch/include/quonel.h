/* Quonel: fetches one URL over HTTP into a buffer of the caller.
 *
 * One export, OpenUrl. It reads the response once, at most QUONEL_MAX_READ bytes, and hands the caller the
 * bytes before the first NUL. The caller's buffer must hold at least QUONEL_BUFFER_MIN_SIZE bytes; nothing is
 * ever written past that many bytes. Redirects are followed (at most QUONEL_MAX_REDIRECTS). The export never
 * throws.
 *
 * Timeouts, so that a dead or silent host cannot freeze the caller for ever:
 *   - connecting (name lookup and TCP connect): QUONEL_CONNECT_TIMEOUT_MS;
 *   - stall: fewer than 1 byte/s for QUONEL_STALL_TIMEOUT_S seconds (while waiting for the answer or the
 * body);
 *   - the whole fetch, redirects included: QUONEL_TOTAL_TIMEOUT_MS.
 * The environment variables QUONEL_CONNECT_TIMEOUT_MS, QUONEL_STALL_TIMEOUT_S and QUONEL_TOTAL_TIMEOUT_MS,
 * when set to a positive number, replace these values (tests use them to keep waits short).
 *
 * Proxies: the system's configured access, that is the usual http_proxy / https_proxy / no_proxy environment
 * variables; the loopback addresses are always reached directly.
 *
 * Each call works on its own buffers, so calls on different threads do not disturb each other.
 */
#ifndef QUONEL_H
#define QUONEL_H

#include <stdint.h>

#if defined(QUONEL_BUILDING)
#define QUONEL_EXPORT __attribute__((visibility("default")))
#else
#define QUONEL_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define QUONEL_MAX_READ 500000        /* the most bytes one call reads from a response */
#define QUONEL_BUFFER_MIN_SIZE 500001 /* the caller's buffer: the data and its terminating NUL */
#define QUONEL_MAX_REDIRECTS 10

#define QUONEL_CONNECT_TIMEOUT_MS 15000
#define QUONEL_STALL_TIMEOUT_S 30
#define QUONEL_TOTAL_TIMEOUT_MS 300000

/* Results. */
#define QUONEL_FAILURE 0
#define QUONEL_SUCCESS 1

/* Stages: the step that failed. */
#define QUONEL_STAGE_NONE 0    /* success: status is the HTTP status code (200, 404, ...) */
#define QUONEL_STAGE_SESSION 1 /* opening the session; status -1, buffer "InternetOpen Error." */
#define QUONEL_STAGE_READ                                         \
  2 /* reading the body failed after the answer began; status -1, \
       buffer "InternetReadFile Error." */
#define QUONEL_STAGE_STATUS                                                   \
  3 /* no status code in the answer; status -1, buffer "HttpQueryInfo Error." \
       written over the start of the data, size keeps the data's length */
#define QUONEL_STAGE_OPEN_URL                                                 \
  4 /* the URL could not be opened; status is one of the error numbers below, \
       buffer "InternetOpenUrl Error." */

/* Error numbers reported as status at stage 4 (the platform's Internet error numbers). */
#define QUONEL_ERROR_NOT_ENOUGH_MEMORY 8       /* out of memory */
#define QUONEL_ERROR_TIMEOUT 12002             /* a timeout above ran out before the answer began */
#define QUONEL_ERROR_INTERNAL 12004            /* any other failure of the HTTP layer */
#define QUONEL_ERROR_INVALID_URL 12005         /* the URL text is malformed (or null) */
#define QUONEL_ERROR_UNRECOGNIZED_SCHEME 12006 /* not an http:// or https:// URL */
#define QUONEL_ERROR_NAME_NOT_RESOLVED 12007   /* the host name (or the proxy's) could not be resolved */
#define QUONEL_ERROR_CANNOT_CONNECT 12029      /* the connection was refused or the host is unreachable */
#define QUONEL_ERROR_CONNECTION_ABORTED 12030  /* sending the request failed */
#define QUONEL_ERROR_CONNECTION_RESET 12031    /* the connection broke before the answer began */
#define QUONEL_ERROR_INVALID_SERVER_RESPONSE \
  12152                                    /* the server closed without an answer or answered garbage */
#define QUONEL_ERROR_REDIRECT_FAILED 12156 /* more than QUONEL_MAX_REDIRECTS redirects */
#define QUONEL_ERROR_SECURE_FAILURE 12175  /* TLS handshake or certificate failure */

/* Fetches `url`. Arguments in this order:
 *   url    NUL-terminated URL text;
 *   size   set to 0 first; after a completed read, the number of bytes delivered (the bytes before the first
 * NUL); status the HTTP status code on success, otherwise -1 or a stage-4 error number (above); stage
 * QUONEL_STAGE_NONE on success, otherwise the step that failed; buffer at least QUONEL_BUFFER_MIN_SIZE bytes:
 * the data followed by a NUL, or the stage's message with its NUL. Returns QUONEL_SUCCESS (1) when an HTTP
 * answer was read, whatever its status code (a 404 is a success with status 404 and the error page in the
 * buffer); QUONEL_FAILURE (0) otherwise. Null size, status, stage or buffer pointers make the call return 0
 * without touching anything. */
QUONEL_EXPORT int16_t OpenUrl(const char* url, int32_t* size, int32_t* status, int32_t* stage, char* buffer);

#ifdef __cplusplus
}
#endif

#endif /* QUONEL_H */
