/* klvutils_consumer FOLDER: a C program linked against the installed KLVUtils. It writes
 * a work folder (Puzzle.ini without tiles and a 1 x 1 base.bmp) into FOLDER, calls
 * FileConv and checks the package: "Consumer.klv", 678 bytes, a RIFF form of type DATA
 * whose first chunk is the header record. Exit status 0 when all holds. */
#include <stdio.h>
#include <string.h>

#include "KLVUtils.h"

static int WriteFile(const char* folder, const char* name, const void* bytes, size_t size) {
  char path[4096];
  if (snprintf(path, sizeof path, "%s/%s", folder, name) >= (int)sizeof path) return 0;
  FILE* file = fopen(path, "wb");
  if (file == NULL) return 0;
  const int written = fwrite(bytes, 1, size, file) == size;
  return fclose(file) == 0 && written;
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: klvutils_consumer FOLDER\n");
    return 2;
  }
  const char* folder = argv[1];
  static const char kIni[] =
      "[PuzzleData]\nxMax=0\nyMax=0\nPuzzleName=Consumer\nDifficulty=5\nFileVersion=2\n";
  /* A 1 x 1 picture at 24 bits: the file header, the 40-byte info header and one row of
   * four bytes (a blue-green-red pixel and one byte of padding). */
  static const unsigned char kBmp[58] = {
      /* "BM", the file size, two reserved words, the offset of the pixels */
      'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
      /* header size, width, height, planes, bits per pixel, compression, image size */
      40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0,
      /* resolutions and colour counts */
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      /* the pixel */
      0x30, 0x60, 0x90, 0};
  if (!WriteFile(folder, "Puzzle.ini", kIni, sizeof kIni - 1) ||
      !WriteFile(folder, "base.bmp", kBmp, sizeof kBmp)) {
    fprintf(stderr, "klvutils_consumer: cannot write the work folder %s\n", folder);
    return 1;
  }

  const int16_t status = FileConv(folder);
  if (status != 1) {
    fprintf(stderr, "klvutils_consumer: FileConv returned %d\n", status);
    return 1;
  }

  char path[4096];
  snprintf(path, sizeof path, "%s/Consumer.klv", folder);
  unsigned char package[1024];
  FILE* file = fopen(path, "rb");
  if (file == NULL) {
    fprintf(stderr, "klvutils_consumer: %s was not written\n", path);
    return 1;
  }
  const size_t size = fread(package, 1, sizeof package, file);
  fclose(file);
  if (size != 678 || memcmp(package, "RIFF", 4) != 0 || memcmp(package + 8, "DATAKLVZ", 8) != 0) {
    fprintf(stderr, "klvutils_consumer: %s is not the expected package (%zu bytes)\n", path, size);
    return 1;
  }
  printf("%s: %zu bytes\n", path, size);
  return 0;
}
