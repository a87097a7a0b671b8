#include "app/MainForm.h"
#include "export/ExportCommand.h"
#include "frame/WorkingFolder.h"
#include "import/ImportCommand.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    // Qt's own texts (file dialog, standard buttons) in Spanish like the rest
    // of the program, whatever the system's language; English when the
    // translations are not installed.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_es"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    tmq::TMForm form(tmq::defaultWorkingFolder(),
                     tmq::Commands{&tmq::runExportCommand, &tmq::runImportCommand});
    form.show();
    return app.exec();
}
