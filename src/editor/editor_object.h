// The text editor as script object kind 16 ("Tエディタ"), and the option
// defaults that every editor a script creates receives.
#pragma once

namespace nura {

class TEditor;

// Registers the kind with the object registry.
void RegisterEditorKind();
// The main window's stored editor settings (white, both scroll bars, the
// line-number bar and ruler on, line-end marks, tab width 4 ...) into
// `editor`.
void ApplyScriptEditorDefaults(TEditor& editor);

}  // namespace nura
