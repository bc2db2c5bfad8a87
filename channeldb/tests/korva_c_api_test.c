/* Calls every Korva export from C with caller-owned buffers, in a fresh process. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "korva.h"

static int failures = 0;
#define CHECK(cond)                                                   \
  do {                                                                \
    if (!(cond)) {                                                    \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                     \
    }                                                                 \
  } while (0)

int main(int argc, char** argv) {
  static uint8_t image[KORVA_SATELLITE_IMAGE_SIZE];
  static uint8_t names[KORVA_SATELLITE_NAME_TABLE_SIZE];
  static uint8_t channels[KORVA_CHANNEL_TABLE_SIZE];
  static uint8_t file[KORVA_DATABASE_FILE_SIZE + 1];
  const char* path = argc > 1 ? argv[1] : "korva_c_api_test.tpd";
  size_t i, n;
  FILE* f;

  CHECK(DELVO_LoadDefaultData(image) == image);
  CHECK(DELVO_LoadDefaultData(NULL) == NULL);
  CHECK(image[12 + 2] == 110); /* slot 0's catalogue identifier */

  /* A save before anything was loaded leaves the carried-over area zero. */
  CHECK(DELVO_SaveNewData(path, image, names, channels) == KORVA_SAVE_OK);
  f = fopen(path, "rb");
  CHECK(f != NULL);
  if (f) {
    n = fread(file, 1, sizeof file, f);
    fclose(f);
    CHECK(n == KORVA_DATABASE_FILE_SIZE);
    for (i = 0x6F00; i < 0x6F44; ++i) CHECK(file[i] == 0);
  }

  memset(image, 0xEE, sizeof image);
  CHECK(DELVO_LoadNewData(path, image, names, channels) == image);
  CHECK(image[12 + 2] == 110);
  CHECK(DELVO_LoadNewData(NULL, image, names, channels) == NULL);
  CHECK(DELVO_SaveNewData(path, NULL, names, channels) == KORVA_SAVE_BAD_ARGUMENT);
  remove(path);

  printf("%d passed, %d failed\n", failures ? 0 : 1, failures ? 1 : 0);
  return failures ? EXIT_FAILURE : EXIT_SUCCESS;
}
