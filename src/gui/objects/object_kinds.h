// The kinds whose class is in gui/objects, one list: each line names the
// registration function that ends the kind's file (<kind>_object.cpp).
// This header declares them; RegisterObjectKinds() calls them in this
// order. The text editor's kind is registered with the editor's commands.
#pragma once

#define NURA_GUI_OBJECT_KINDS(KIND) \
  KIND(RegisterButtonKind)          \
  KIND(RegisterEditKind)            \
  KIND(RegisterImageKind)           \
  KIND(RegisterScrollBarKind)       \
  KIND(RegisterComboKind)           \
  KIND(RegisterListKind)            \
  KIND(RegisterMemoKind)            \
  KIND(RegisterFormKind)            \
  KIND(RegisterLabelKind)           \
  KIND(RegisterCheckKind)           \
  KIND(RegisterPanelKind)           \
  KIND(RegisterRadioKind)           \
  KIND(RegisterScrollBoxKind)       \
  KIND(RegisterPageControlKind)     \
  KIND(RegisterTreeKind)            \
  KIND(RegisterAnimeKind)           \
  KIND(RegisterBrowserKind)         \
  KIND(RegisterGridKind)            \
  KIND(RegisterTrackBoxKind)

namespace nura {

#define NURA_DECLARE_OBJECT_KIND(registerKind) void registerKind();
NURA_GUI_OBJECT_KINDS(NURA_DECLARE_OBJECT_KIND)
#undef NURA_DECLARE_OBJECT_KIND

}  // namespace nura
