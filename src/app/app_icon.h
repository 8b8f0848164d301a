#pragma once

#include <QIcon>

namespace tamsel::app {

// The application icon, from the images built into the program.
[[nodiscard]] QIcon AppIcon();

}  // namespace tamsel::app
