/* A test image-import plug-in for the "TINY" format: the signature, two
 * palette colours as B,G,R,0 and four 8-bit indices of a 2 x 2 picture,
 * rows top-down. Built three times: SPI_TINY decodes it, SPI_VERSION
 * reports another API version, SPI_FAIL accepts the data but returns an
 * error without touching the out-parameters (and a type name longer than
 * the host's buffer), or for the signatures "BADH", "SHRT" and "NEGH" a bit
 * count of 7, a bits block far too short for its rows, a negative height. */
#include <stdlib.h>
#include <string.h>

#include "images/spi_plugin.h"

#if defined(SPI_VERSION)
static const char* const kInfo[4] = {"00AM", "Archive of another kind", "*.tny", "Tiny archive"};
#elif defined(SPI_FAIL)
static const char* const kInfo[4] = {
    "00IN", "Failing tiny plug-in", "*.tny",
    "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
    "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
    "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"};
#else
static const char* const kInfo[4] = {"00IN", "Tiny picture plug-in", "*.tny;*.tiny", "Tiny picture"};
#endif

int32_t GetPluginInfo(int32_t number, char* buffer, int32_t length) {
  if (number < 0 || number > 3 || length <= 0) return 0;
  size_t n = strlen(kInfo[number]);
  if (n > (size_t)length) n = (size_t)length; /* not ended when it fills the buffer */
  memcpy(buffer, kInfo[number], n);
  if (n < (size_t)length) buffer[n] = 0;
  return (int32_t)n;
}

int32_t IsSupported(const char* name, const void* data) {
  (void)name;
#if defined(SPI_FAIL)
  if (!memcmp(data, "BADH", 4) || !memcmp(data, "SHRT", 4) || !memcmp(data, "NEGH", 4)) return 1;
#endif
  return memcmp(data, "TINY", 4) == 0;
}

static void Put32(unsigned char* p, uint32_t v) {
  p[0] = v & 0xFF, p[1] = (v >> 8) & 0xFF, p[2] = (v >> 16) & 0xFF, p[3] = v >> 24;
}

/* A 2 x 2 8-bit header with two colours and a bits block of `rowBytes`. */
static void MakeBlocks(void** info, void** bits, size_t rowBytes) {
  unsigned char* header = calloc(1, 40 + 8);
  Put32(header, 40);
  Put32(header + 4, 2);
  Put32(header + 8, 2);
  header[12] = 1, header[14] = 8;
  Put32(header + 32, 2);
  *info = header;
  *bits = calloc(1, rowBytes);
}

int32_t GetPicture(const void* data, int32_t length, uint32_t flags, void** info, void** bits,
                   SpiProgressCallback progress, int32_t user) {
  (void)flags, (void)progress, (void)user;
  const unsigned char* in = (const unsigned char*)data;
#if defined(SPI_FAIL)
  (void)length;
  if (!memcmp(in, "TINY", 4)) return 2;
  MakeBlocks(info, bits, memcmp(in, "SHRT", 4) ? 8 : 2);
  /* The allocator may hand out more than was asked for (glibc rounds a
   * small block up to 24 bytes), so the short block's 2 x 4096 picture needs
   * far more rows than any rounding gives. */
  if (!memcmp(in, "SHRT", 4)) Put32((unsigned char*)*info + 8, 4096);
  if (!memcmp(in, "BADH", 4)) ((unsigned char*)*info)[14] = 7;
  if (!memcmp(in, "NEGH", 4)) Put32((unsigned char*)*info + 8, (uint32_t)-2);
  return 0;
#else
  if (length < 4 + 8 + 4) return 2;
  MakeBlocks(info, bits, 8);
  unsigned char* header = *info;
  unsigned char* rows = *bits;
  memcpy(header + 40, in + 4, 8);
  rows[0] = in[14], rows[1] = in[15]; /* bottom row first */
  rows[4] = in[12], rows[5] = in[13];
  return 0;
#endif
}
