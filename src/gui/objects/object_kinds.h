// The registration function of each kind's class (one file each).
#pragma once

namespace nura {

void RegisterButtonKind();
void RegisterEditKind();
void RegisterImageKind();
void RegisterScrollBarKind();
void RegisterComboKind();
void RegisterListKind();
void RegisterMemoKind();
void RegisterFormKind();
void RegisterLabelKind();
void RegisterCheckKind();
void RegisterPanelKind();
void RegisterRadioKind();
void RegisterScrollBoxKind();
void RegisterPageControlKind();
void RegisterTreeKind();
void RegisterAnimeKind();
void RegisterBrowserKind();
void RegisterGridKind();
void RegisterTrackBoxKind();

}  // namespace nura
