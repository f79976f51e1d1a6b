/* A test image-import plug-in for the "TINY" format: the signature, two
 * palette colours as B,G,R,0 and four 8-bit indices of a 2 x 2 picture,
 * rows top-down. Built three times: SPI_TINY decodes it, SPI_VERSION
 * reports another API version, SPI_FAIL accepts the data but returns an
 * error without touching the out-parameters (and a type name longer than
 * the host's buffer). */
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
  return memcmp(data, "TINY", 4) == 0;
}

#if !defined(SPI_FAIL)
static void Put32(unsigned char* p, uint32_t v) {
  p[0] = v & 0xFF, p[1] = (v >> 8) & 0xFF, p[2] = (v >> 16) & 0xFF, p[3] = v >> 24;
}
#endif

int32_t GetPicture(const void* data, int32_t length, uint32_t flags, void** info, void** bits,
                   SpiProgressCallback progress, int32_t user) {
  (void)flags, (void)progress, (void)user;
#if defined(SPI_FAIL)
  (void)data, (void)length, (void)info, (void)bits;
  return 2;
#else
  const unsigned char* in = (const unsigned char*)data;
  if (length < 4 + 8 + 4) return 2;
  unsigned char* header = calloc(1, 40 + 8);
  unsigned char* rows = calloc(1, 8);
  Put32(header, 40);
  Put32(header + 4, 2);
  Put32(header + 8, 2);
  header[12] = 1, header[14] = 8;
  Put32(header + 32, 2);
  memcpy(header + 40, in + 4, 8);
  rows[0] = in[14], rows[1] = in[15]; /* bottom row first */
  rows[4] = in[12], rows[5] = in[13];
  *info = header;
  *bits = rows;
  return 0;
#endif
}
