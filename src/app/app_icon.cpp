#include "app/app_icon.h"

namespace tamsel::app {

QIcon AppIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48}) icon.addFile(QStringLiteral(":/icons/tamsel-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace tamsel::app
