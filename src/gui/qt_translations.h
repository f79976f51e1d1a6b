// Qt's own texts (standard buttons, file, font and colour dialogs) in
// Japanese, like every text of the system, whatever the locale.
#pragma once

namespace nura {

// Loads Qt's Japanese catalogue into the application (once); false when
// it is not installed.
bool InstallQtTranslations();

}  // namespace nura
