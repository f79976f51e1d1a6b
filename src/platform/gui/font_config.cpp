#include "platform/gui/font_config.h"

#include <fontconfig/fontconfig.h>

namespace nura {

void ReleaseFontConfiguration() {
  FcConfig* empty = FcConfigCreate();
  if (!empty) return;
  FcConfigSetCurrent(empty);  // frees the configuration in use, if any
  FcConfigDestroy(empty);     // fontconfig keeps it as the current one
}

}  // namespace nura
