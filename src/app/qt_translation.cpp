#include "app/qt_translation.h"

#include <QLibraryInfo>

namespace tamsel::app {

bool LoadQtTranslation(QTranslator& translator)
{
    return translator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

}  // namespace tamsel::app
