#pragma once

#include <QTranslator>

namespace tmq {

// Qt's own texts (file dialog, standard buttons) in Spanish like the rest of
// the program, whatever the system's language; English when the
// translations are not installed. `translator` must outlive the application.
void installSpanishQtTexts(QTranslator& translator);

} // namespace tmq
