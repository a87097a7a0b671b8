#include "app/Fonts.h"

#include "window/WindowLayout.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QStringList>

namespace tmq {

namespace {

// The font package keeps its fonts outside fontconfig's folders, so they
// are added to the application by hand. Only the TrueType wrapper of the
// bitmaps will do: Qt cannot draw the glyphs of the .fon files.
const char* const kDialogFontFiles[] = {
    "/usr/share/wine/fonts/ms_sans_serif.ttf",
    "/usr/lib/wine/fonts/ms_sans_serif.ttf",
};

QString loadDialogFontFamily()
{
    for (const char* file : kDialogFontFiles) {
        if (!QFile::exists(QString::fromLatin1(file)))
            continue;
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            return families.first();
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

} // namespace

QString dialogFontFamily()
{
    // The bitmap face holds glyphs drawn for 1x only: on a scaled screen Qt
    // draws them at their 1x size but spaces them at the scaled size, so a
    // scalable face of like shape takes its place there.
    if (qGuiApp != nullptr && qGuiApp->devicePixelRatio() != 1.0)
        return arialFamily();
    static const QString family = loadDialogFontFamily();
    return family;
}

QString arialFamily()
{
    const QString arial = QString::fromUtf8(layout::kHeadingFont.family);
    static const QString family =
        QFontDatabase::families().contains(arial) ? arial : QStringLiteral("Liberation Sans");
    return family;
}

QFont dialogFont()
{
    QFont font(dialogFontFamily());
    font.setPointSize(layout::kDialogFont.pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

bool lacksBoldFace(const QFont& font)
{
    static const QString sample = QStringLiteral("TransMirtavelQuelmar");
    QFont regular = font;
    regular.setBold(false);
    QFont bold = font;
    bold.setBold(true);
    return QFontMetrics(regular).horizontalAdvance(sample) ==
           QFontMetrics(bold).horizontalAdvance(sample);
}

QFont headingFont()
{
    QFont font(arialFamily());
    font.setPixelSize(layout::kHeadingFont.pixelHeight);
    font.setBold(layout::kHeadingFont.bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace tmq
