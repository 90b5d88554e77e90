// The floor under `tilvex-cli convert`: the least any program doing its job must do. It
// starts, reads the picture, decodes it with libspng and writes a result of the given size
// through a temporary file renamed over the output, as tilvex-cli writes its files. It is
// written in C style against the C library alone, so that its own start-up costs nothing.
// Usage: bench_convert_floor PICTURE.png OUTPUT BYTES
#include <fcntl.h>
#include <spng.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static unsigned char* ReadWhole(const char* path, size_t* size) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) return NULL;
  unsigned char* bytes = (unsigned char*)malloc((size_t)st.st_size + 1);
  size_t got = 0;
  while (bytes && got < (size_t)st.st_size) {
    const ssize_t n = read(fd, bytes + got, (size_t)st.st_size - got);
    if (n <= 0) break;
    got += (size_t)n;
  }
  close(fd);
  *size = got;
  return bytes;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s PICTURE.png OUTPUT BYTES\n", argv[0]);
    return 2;
  }
  size_t size = 0;
  unsigned char* file = ReadWhole(argv[1], &size);
  if (!file) return 1;
  spng_ctx* ctx = spng_ctx_new(0);
  size_t decodedSize = 0;
  if (spng_set_png_buffer(ctx, file, size) != 0 ||
      spng_decoded_image_size(ctx, SPNG_FMT_RGB8, &decodedSize) != 0)
    return 1;
  unsigned char* pixels = (unsigned char*)malloc(decodedSize);
  if (!pixels || spng_decode_image(ctx, pixels, decodedSize, SPNG_FMT_RGB8, 0) != 0) return 1;
  spng_ctx_free(ctx);

  // The result: as many bytes as the real program writes, taken from the pixels.
  const size_t bytes = (size_t)strtoul(argv[3], NULL, 10);
  unsigned char* result = (unsigned char*)calloc(bytes ? bytes : 1, 1);
  for (size_t i = 0; i < bytes; ++i) result[i] = pixels[i % decodedSize];
  char temp[4096];
  snprintf(temp, sizeof temp, "%s.%d.tmp", argv[2], (int)getpid());
  const int fd = open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0 || write(fd, result, bytes) != (ssize_t)bytes || close(fd) != 0) return 1;
  if (rename(temp, argv[2]) != 0) return 1;
  free(result);
  free(pixels);
  free(file);
  return 0;
}
