/* The interface of image-import plug-ins ("*.SPI" shared objects, API
 * version "00IN") as this run-time loads them on Linux. A plug-in exports
 * these functions with C linkage.
 *
 * GetPluginInfo(number, buffer, length): copies information text `number`
 *   (0 the API version "00IN", 1 a description, 2 extension patterns such
 *   as "*.pi;*.pic", 3 the file type name) into `buffer`, at most `length`
 *   bytes; returns the bytes copied, 0 for an unknown number.
 * IsSupported(name, data): non-zero when the plug-in decodes the file
 *   image at `data` (the host passes no name and the whole file, padded
 *   with zeros to at least 2048 bytes).
 * GetPicture(data, length, flags, info, bits, progress, user): decodes the
 *   file image (`flags` 1: memory input) and returns 0 on success. `*info`
 *   receives a 40-byte little-endian BITMAPINFOHEADER followed by B,G,R,0
 *   colour entries (or three bit-field masks); `*bits` the rows, bottom-up,
 *   each padded to four bytes. Both blocks come from malloc() and are freed
 *   by the host.
 * GetPictureInfo, GetPreview and ConfigurationDlg may be exported; the host
 *   looks them up but does not call them.
 */
#ifndef NURA_SPI_PLUGIN_H
#define NURA_SPI_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t (*SpiProgressCallback)(int32_t done, int32_t total, int32_t user);

typedef int32_t (*SpiGetPluginInfo)(int32_t number, char* buffer, int32_t length);
typedef int32_t (*SpiIsSupported)(const char* name, const void* data);
typedef int32_t (*SpiGetPicture)(const void* data, int32_t length, uint32_t flags, void** info,
                                 void** bits, SpiProgressCallback progress, int32_t user);

#ifdef __cplusplus
}
#endif

#endif /* NURA_SPI_PLUGIN_H */
