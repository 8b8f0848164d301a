#pragma once

#include <QTranslator>

namespace tamsel::app {

// Loads Qt's own Japanese texts (its choosers and their questions), where
// the system has them: the window speaks Japanese whatever the locale.
// False when there are none; Qt's dialogs then stay in English.
bool LoadQtTranslation(QTranslator& translator);

}  // namespace tamsel::app
