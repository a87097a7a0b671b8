// transmirtavquelmar-horario, the desktop entry's "Ver horario de Mirtavel":
// makes the timetable page of the working folder, HorarioMirtavel.html and
// the files named after it beside it in the user's temporary folder, and
// opens the index in the browser. Started from a menu it has no terminal, so what goes wrong is
// shown in an error box (and written to standard error as well).
#include "app/QtTexts.h"
#include "frame/WorkingFolder.h"
#include "page/TimetablePageCommand.h"
#include "window/WindowLayout.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char* argv[])
{
    const std::string error = tmq::openTimetablePage(tmq::defaultWorkingFolder());
    if (error.empty())
        return 0;
    std::fprintf(stderr, "%s\n", error.c_str());
    QApplication app(argc, argv);
    QTranslator qtTexts;
    tmq::installSpanishQtTexts(qtTexts);
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(tmq::layout::kTimetablePageTitle),
                    QString::fromStdString(error), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return 1;
}
