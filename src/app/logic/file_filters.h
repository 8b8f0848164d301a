#pragma once

#include "app/logic/user_dialogs.h"

namespace tamsel::app {

// What Open and Save as SMF ask their choosers for.
[[nodiscard]] FileChooserRequest OpenChooserRequest();
[[nodiscard]] FileChooserRequest SaveChooserRequest();

}  // namespace tamsel::app
