#include "app/MainForm.h"
#include "app/QtTexts.h"
#include "export/ExportCommand.h"
#include "frame/WorkingFolder.h"
#include "import/ImportCommand.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTranslator qtTexts;
    tmq::installSpanishQtTexts(qtTexts);

    tmq::TMForm form(tmq::defaultWorkingFolder(),
                     tmq::Commands{&tmq::runExportCommand, &tmq::runImportCommand});
    form.show();
    return app.exec();
}
