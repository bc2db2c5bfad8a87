/* The public header compiled as C, and the export called from C. */
#include "urlfetch/include/quonel.h"

int16_t quonel_fetch_from_c(const char* url, int32_t* size, int32_t* status, int32_t* stage, char* buffer) {
  return OpenUrl(url, size, status, stage, buffer);
}
