#include "app/MainForm.h"
#include "core/WorkingFolder.h"
#include "export/ExportCommand.h"
#include "import/ImportCommand.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    tmq::TMForm form(tmq::defaultWorkingFolder(),
                     tmq::Commands{&tmq::runExportCommand, &tmq::runImportCommand});
    form.show();
    return app.exec();
}
