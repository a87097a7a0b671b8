#include "FormFixture.h"

#include "app/Fonts.h"
#include "app/GradientPanel.h"

#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace tmq::test {
namespace {

using LayoutTest = FormFixture;

TEST_F(LayoutTest, WindowIsAFixedDialogFrameWithItsCaption)
{
    EXPECT_EQ(form->objectName(), "MForm");
    EXPECT_EQ(form->windowTitle(), "Exportar e importar datos entre Mirtavel y Quelmar ");
    EXPECT_EQ(form->size(), QSize(632, 266));
    EXPECT_EQ(form->minimumSize(), QSize(632, 266));
    EXPECT_EQ(form->maximumSize(), QSize(632, 266));

    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    for (Qt::WindowType wanted :
         {Qt::MSWindowsFixedSizeDialogHint, Qt::CustomizeWindowHint, Qt::WindowTitleHint,
          Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint})
        EXPECT_TRUE(flags.testFlag(wanted)) << wanted;
    for (Qt::WindowType unwanted : {Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint})
        EXPECT_FALSE(flags.testFlag(unwanted)) << unwanted;

    EXPECT_TRUE(form->autoFillBackground());
    EXPECT_EQ(form->palette().color(form->backgroundRole()),
              QApplication::palette().color(QPalette::Button));
}

TEST_F(LayoutTest, FirstShownCentredOnTheScreen)
{
    form->show();
    const QRect screen = form->screen()->geometry();
    EXPECT_LE(std::abs(form->frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form->frameGeometry().center().y() - screen.center().y()), 1);
}

TEST_F(LayoutTest, ComponentsSitWhereTheyBelong)
{
    struct Case {
        const char* name;
        const char* parent;
        QRect geometry;
    };
    const Case cases[] = {
        {"Draw3D1", "MForm", QRect(0, 168, 633, 97)},
        {"BClose", "Draw3D1", QRect(256, 32, 89, 25)},
        {"Draw3D2", "MForm", QRect(1, 0, 315, 169)},
        {"Label3", "Draw3D2", QRect(24, 24, 265, 57)},
        {"BExportar", "Draw3D2", QRect(96, 120, 89, 25)},
        {"Draw3D3", "MForm", QRect(316, 0, 317, 169)},
        {"Label4", "Draw3D3", QRect(8, 24, 305, 57)},
        {"BImportar", "Draw3D3", QRect(96, 120, 89, 25)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* widget = child<QWidget>(c.name);
        ASSERT_NE(widget, nullptr);
        ASSERT_NE(widget->parentWidget(), nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName(), c.parent);
        EXPECT_EQ(widget->geometry(), c.geometry);
    }

    // The version label is sized to its text.
    auto* version = child<QLabel>("Label1");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->parentWidget()->objectName(), "Draw3D1");
    EXPECT_EQ(version->pos(), QPoint(8, 72));
    EXPECT_EQ(version->size(), version->sizeHint());
    EXPECT_GT(version->width(), QFontMetrics(version->font()).horizontalAdvance("TransMirtavel"));
}

TEST_F(LayoutTest, TextsAndPictures)
{
    const std::pair<const char*, const char*> labels[] = {
        {"Label1", "TransMirtavelQuelmar V-2.3"},
        {"Label3", "Transformar datos desde Quelmar hacia Mirtavel "},
        {"Label4", "Transformar datos desde Mirtavel hacia Quelmar"},
    };
    for (const auto& [name, text] : labels) {
        auto* label = child<QLabel>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->text(), QString::fromUtf8(text)) << name;
        EXPECT_FALSE(label->autoFillBackground()) << name;
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus) << name;
    }

    const std::pair<const char*, const char*> buttons[] = {
        {"BClose", "&Salir"}, {"BExportar", "Aceptar"}, {"BImportar", "Aceptar"}};
    for (const auto& [name, caption] : buttons) {
        auto* button = child<QPushButton>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), caption) << name;
        EXPECT_EQ(button->iconSize(), QSize(18, 18)) << name;
        EXPECT_FALSE(button->icon().pixmap(18, QIcon::Normal).isNull()) << name;
        // The disabled picture is a real greyed variant, not the same image.
        EXPECT_NE(button->icon().pixmap(18, QIcon::Disabled).toImage(),
                  button->icon().pixmap(18, QIcon::Normal).toImage())
            << name;
    }
    EXPECT_EQ(child<QPushButton>("BExportar")->icon().pixmap(18).toImage(),
              child<QPushButton>("BImportar")->icon().pixmap(18).toImage());
    EXPECT_NE(child<QPushButton>("BClose")->icon().pixmap(18).toImage(),
              child<QPushButton>("BImportar")->icon().pixmap(18).toImage());
}

TEST_F(LayoutTest, Fonts)
{
    if (QFile::exists("/usr/share/wine/fonts/ms_sans_serif.ttf")) {
        // The 8 point bitmaps: 13 pixels from top to bottom, 11 above the base line.
        EXPECT_EQ(dialogFontFamily(), "MS Sans Serif");
        EXPECT_EQ(QFontMetrics(form->font()).height(), 13);
        EXPECT_EQ(QFontMetrics(form->font()).ascent(), 11);
    }
    EXPECT_EQ(form->font().family(), dialogFontFamily());
    EXPECT_EQ(form->font().pointSize(), 8);
    EXPECT_EQ(QFontInfo(form->font()).family(), dialogFontFamily());

    auto* version = child<QLabel>("Label1");
    EXPECT_EQ(version->font().family(), dialogFontFamily());
    EXPECT_EQ(version->font().pointSize(), 8);
    EXPECT_TRUE(version->font().bold());
    EXPECT_EQ(version->palette().color(version->foregroundRole()), QColor(0xFF, 0x00, 0x00));

    // Arial or its metric twin, whichever is installed, is what gets used.
    EXPECT_EQ(QFontInfo(headingFont()).family(), arialFamily());
    for (const char* name : {"Label3", "Label4"}) {
        SCOPED_TRACE(name);
        auto* heading = child<QLabel>(name);
        EXPECT_EQ(heading->font().family(), arialFamily());
        EXPECT_EQ(heading->font().pixelSize(), 16);
        EXPECT_TRUE(heading->font().bold());
        EXPECT_TRUE(heading->wordWrap());
        EXPECT_EQ(heading->alignment(), Qt::AlignLeft | Qt::AlignTop);
        EXPECT_EQ(heading->palette().color(heading->foregroundRole()),
                  form->palette().color(QPalette::WindowText));
    }
}

// Gradient colours may be one step off after the blend's rounding.
::testing::AssertionResult near(const QColor& actual, const QColor& expected)
{
    const bool close = std::abs(actual.red() - expected.red()) <= 1 &&
                       std::abs(actual.green() - expected.green()) <= 1 &&
                       std::abs(actual.blue() - expected.blue()) <= 1;
    if (close)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << actual.name().toStdString() << " instead of " << expected.name().toStdString();
}

int countPixels(const QImage& image, QRgb color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == color ? 1 : 0;
    return count;
}

TEST_F(LayoutTest, VersionIsDrawnInRedBold)
{
    form->show();
    auto* version = child<QLabel>("Label1");
    QFont regularFont = version->font();
    regularFont.setBold(false);
    regularFont.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    QLabel regular(version->text(), version->parentWidget());
    regular.setFont(regularFont);
    regular.setPalette(version->palette());
    regular.adjustSize();

    const QRgb red = qRgb(0xFF, 0x00, 0x00);
    const int boldInk = countPixels(version->grab().toImage(), red);
    const int regularInk = countPixels(regular.grab().toImage(), red);
    EXPECT_GT(regularInk, 100);
    EXPECT_GT(boldInk, regularInk * 5 / 4);
    EXPECT_GT(version->width(), regular.width());
}

// The height, in pixels of the screen, of the rows of `image` holding a
// pixel that `ink` accepts.
int inkHeight(const QImage& image, const std::function<bool(QColor)>& ink)
{
    int top = image.height();
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(image.pixelColor(x, y))) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return bottom < top ? 0 : bottom - top + 1;
}

// Run with QT_SCALE_FACTOR set (ctest does so at 150 % and 200 %): the small
// texts grow with the rest of the window instead of keeping their 1x
// glyphs, as a face drawn for one size would.
TEST_F(LayoutTest, SmallTextsScaleWithTheScreen)
{
    const qreal ratio = qApp->devicePixelRatio();
    if (ratio == 1.0)
        GTEST_SKIP() << "needs a scaled screen (QT_SCALE_FACTOR)";
    form->show();

    const auto red = [](QColor c) { return c.red() > 180 && c.green() < 110 && c.blue() < 110; };
    const auto black = [](QColor c) { return c.red() < 70 && c.green() < 70 && c.blue() < 70; };
    // At 1x the version's capitals and the caption's letters are 8 to 11
    // pixels high; what stays at its 1x size is half as high at 200 %.
    const QImage version = child<QLabel>("Label1")->grab().toImage();
    const QImage caption = child<QPushButton>("BExportar")->grab().toImage();
    ASSERT_EQ(version.devicePixelRatio(), ratio);
    EXPECT_GE(inkHeight(version, red), 7.5 * ratio);
    EXPECT_GE(inkHeight(caption, black), 7.5 * ratio);
    EXPECT_NEAR(child<QLabel>("Label1")->width() * ratio, version.width(), 1.0);
    EXPECT_LE(child<QLabel>("Label1")->width(), 200);
}

TEST_F(LayoutTest, PanelsBlendTopCentreAndBottomColours)
{
    struct Case {
        const char* name;
        QColor top;
        QColor centre;
        QColor bottom;
    };
    const Case cases[] = {
        {"Draw3D1", QColor(0xCC, 0xD8, 0xE6), QColor(0xCF, 0xF2, 0xFE), QColor(0xC2, 0xCD, 0xFE)},
        {"Draw3D2", QColor(0xFF, 0xEE, 0xDD), QColor(0xFF, 0xFF, 0xFF), QColor(0xF9, 0xD3, 0x7D)},
        {"Draw3D3", QColor(0xFF, 0xEE, 0xDD), QColor(0xFF, 0xFF, 0xFF), QColor(0xF9, 0xD3, 0x7D)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* panel = child<GradientPanel>(c.name);
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->focusPolicy(), Qt::NoFocus);
        const QImage image = panel->grab().toImage();
        ASSERT_EQ(image.size(), panel->size());
        // Columns away from the labels and buttons.
        for (int x : {2, image.width() - 3}) {
            EXPECT_TRUE(near(image.pixel(x, 0), c.top)) << x;
            EXPECT_TRUE(near(image.pixel(x, image.height() / 2), c.centre)) << x;
            EXPECT_TRUE(near(image.pixel(x, image.height() - 1), c.bottom)) << x;
        }
        // Between the edges and the centre the colour is blended.
        const QColor quarter(image.pixel(2, image.height() / 4));
        EXPECT_FALSE(near(quarter, c.top));
        EXPECT_FALSE(near(quarter, c.centre));
    }
}

TEST_F(LayoutTest, FileDialogIsSetUpOnceForXmlFiles)
{
    std::filesystem::create_directories(dir / "XML");
    TMForm other(dir.path(), Commands{});
    const auto dialogs = other.findChildren<QFileDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    QFileDialog* dialog = dialogs.front();
    EXPECT_EQ(dialog->objectName(), "OpenDialogXML");
    EXPECT_EQ(dialog->windowTitle(), "Archivo XML");
    EXPECT_EQ(dialog->nameFilters(), QStringList{"*.xml (*.xml)"});
    EXPECT_TRUE(dialog->testOption(QFileDialog::HideNameFilterDetails));
    EXPECT_EQ(dialog->defaultSuffix(), "xml");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_TRUE(dialog->isModal());
    EXPECT_TRUE(dialog->isSizeGripEnabled());
    EXPECT_EQ(std::filesystem::path(dialog->directory().absolutePath().toStdString()),
              std::filesystem::path(dir / "XML"));
}

} // namespace
} // namespace tmq::test
