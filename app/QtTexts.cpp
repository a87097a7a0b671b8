#include "app/QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace tmq {

void installSpanishQtTexts(QTranslator& translator)
{
    if (translator.load(QStringLiteral("qtbase_es"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
}

} // namespace tmq
