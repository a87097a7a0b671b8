#include "app/MainForm.h"

#include "app/Fonts.h"
#include "app/Glyphs.h"
#include "app/GradientPanel.h"
#include "window/AppTitle.h"
#include "window/WindowLayout.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <exception>
#include <utility>

namespace tmq {

namespace {

QColor toColor(const layout::Rgb& rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QRect toRect(const layout::Rect& rect)
{
    return QRect(rect.left, rect.top, rect.width, rect.height);
}

QString fromUtf8(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// Screen readers meet the window as a dialog, as they meet the system's own
// dialogs, named by its caption; left to Qt, a window of its own class reads
// as a plain pane.
QAccessibleInterface* dialogInterface(const QString& className, QObject* object)
{
    if (className != QLatin1String(TMForm::staticMetaObject.className()) || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Dialog);
}

GradientPanel* makePanel(const layout::Panel& panel, QWidget* parent)
{
    auto* widget = new GradientPanel(toColor(panel.colours.top), toColor(panel.colours.centre),
                                     toColor(panel.colours.bottom), parent);
    widget->setObjectName(fromUtf8(panel.name));
    widget->setGeometry(toRect(panel.geometry));
    return widget;
}

QString fromPath(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

std::string toPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// A label that draws bold text by striking it twice, one pixel apart, when
// its font has no bold form of its own; each character then takes one more
// pixel, as a bold face would.
class OverstrikeLabel : public QLabel {
public:
    OverstrikeLabel(const QString& text, const QFont& font, QWidget* parent)
        : QLabel(text, parent), overstrike_(font.bold() && lacksBoldFace(font))
    {
        QFont spaced = font;
        if (overstrike_)
            spaced.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
        setFont(spaced);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QLabel::paintEvent(event);
        if (!overstrike_)
            return;
        QPainter painter(this);
        style()->drawItemText(&painter, contentsRect().translated(1, 0),
                              QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                              isEnabled(), text(), foregroundRole());
    }

private:
    bool overstrike_;
};

} // namespace

TMForm::TMForm(std::filesystem::path workingFolder, Commands commands, QWidget* parent)
    : QWidget(parent), CommandWindow(std::move(workingFolder), std::move(commands)),
      applicationTitle_(QString::fromStdString(
          tmq::applicationTitle(QCoreApplication::applicationFilePath().toStdString())))
{
    QAccessible::installFactory(&dialogInterface);
    setObjectName(QStringLiteral("MForm"));
    setWindowTitle(fromUtf8(layout::kCaption));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(layout::kClientWidth, layout::kClientHeight);
    // The face colour of buttons as background. Changing the colour rather
    // than the background role keeps the window text colour for the labels.
    QPalette facePalette = palette();
    facePalette.setBrush(QPalette::Window, facePalette.brush(QPalette::Button));
    setPalette(facePalette);
    setAutoFillBackground(true);
    setFont(dialogFont());

    createComponents();
    setUpFileDialog();
}

TMForm::~TMForm()
{
    clearBusyPointer();
}

void TMForm::createComponents()
{
    draw3D1_ = makePanel(layout::kDraw3D1, this);

    QFont versionFont = dialogFont();
    versionFont.setBold(layout::kVersionFont.bold);
    label1_ = new OverstrikeLabel(fromUtf8(layout::kLabel1.text), versionFont, draw3D1_);
    label1_->setObjectName(fromUtf8(layout::kLabel1.name));
    label1_->setTextFormat(Qt::PlainText);
    QPalette versionPalette = label1_->palette();
    versionPalette.setColor(QPalette::WindowText, toColor(layout::kVersionColour));
    label1_->setPalette(versionPalette);
    label1_->move(layout::kLabel1.geometry.left, layout::kLabel1.geometry.top);
    label1_->adjustSize();

    bClose_ = makeButton(layout::kBClose, openDoorPixmap(), draw3D1_);
    connect(bClose_, &QPushButton::clicked, this, &TMForm::BCloseClick);

    draw3D2_ = makePanel(layout::kDraw3D2, this);
    label3_ = makeLabel(layout::kLabel3, draw3D2_);
    bExportar_ = makeButton(layout::kBExportar, tickPixmap(), draw3D2_);
    connect(bExportar_, &QPushButton::clicked, this, &TMForm::BExportarClick);

    draw3D3_ = makePanel(layout::kDraw3D3, this);
    label4_ = makeLabel(layout::kLabel4, draw3D3_);
    bImportar_ = makeButton(layout::kBImportar, tickPixmap(), draw3D3_);
    connect(bImportar_, &QPushButton::clicked, this, &TMForm::BImportarClick);

    for (QLabel* heading : {label3_, label4_}) {
        heading->setFont(headingFont());
        heading->setWordWrap(true);
        heading->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    setTabOrder(bClose_, bExportar_);
    setTabOrder(bExportar_, bImportar_);
}

QLabel* TMForm::makeLabel(const layout::Label& entry, QWidget* parent)
{
    // Labels paint no background, so the panel's blend shows through.
    auto* label = new QLabel(fromUtf8(entry.text), parent);
    label->setObjectName(fromUtf8(entry.name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(toRect(entry.geometry));
    return label;
}

QPushButton* TMForm::makeButton(const layout::Button& entry, const QPixmap& picture,
                                QWidget* parent)
{
    auto* button = new QPushButton(fromUtf8(entry.caption), parent);
    button->setObjectName(fromUtf8(entry.name));
    button->setGeometry(toRect(entry.geometry));
    button->setIcon(buttonIcon(picture));
    button->setIconSize(QSize(kGlyphSize, kGlyphSize));
    // Two buttons read "Aceptar"; the description says which command each runs.
    button->setAccessibleDescription(fromUtf8(entry.description));
    // Auto-default buttons react to Enter and are drawn as the default
    // button while they have the focus, also outside a dialog.
    button->setAutoDefault(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

void TMForm::setUpFileDialog()
{
    openDialogXML_ = new QFileDialog(this, fromUtf8(layout::kFileDialogTitle));
    openDialogXML_->setObjectName(QStringLiteral("OpenDialogXML"));
    openDialogXML_->setModal(true);
    openDialogXML_->setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a file that does not exist is returned too; the
    // command then reports that the file is missing.
    openDialogXML_->setFileMode(QFileDialog::AnyFile);
    openDialogXML_->setOption(QFileDialog::HideNameFilterDetails);
    const QString pattern = fromUtf8(layout::kFileFilterPattern);
    openDialogXML_->setNameFilter(pattern + QStringLiteral(" (") + pattern + QStringLiteral(")"));
    openDialogXML_->setDefaultSuffix(fromUtf8(layout::kDefaultExtension));
    openDialogXML_->setSizeGripEnabled(true);
    openDialogXML_->setDirectory(fromPath(dialogFolder()));
}

std::optional<std::string> TMForm::chooseXmlFile()
{
    if (fileChooser_) {
        if (const std::optional<QString> chosen = fileChooser_())
            return toPath(*chosen);
        return std::nullopt;
    }

    // Set each time: the XML folder may have been created since the window
    // opened, and a file may have been chosen since.
    openDialogXML_->setDirectory(fromPath(dialogFolder()));
    if (openDialogXML_->exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = openDialogXML_->selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return toPath(files.first());
}

void TMForm::showBusyPointer(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TMForm::showMessage(const std::string& text)
{
    deliver(MessageKind::Information, QString::fromStdString(text));
}

void TMForm::showError(const std::string& report)
{
    deliver(MessageKind::Error, QString::fromStdString(report));
}

void TMForm::deliver(MessageKind kind, const QString& text)
{
    if (messageSink_) {
        messageSink_(kind, applicationTitle_, text);
        return;
    }

    if (kind == MessageKind::Error) {
        QMessageBox box(QMessageBox::Critical, applicationTitle_, text, QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
        return;
    }

    QMessageBox box(QMessageBox::NoIcon, applicationTitle_, text, QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    QPushButton* accept = box.addButton(fromUtf8(layout::kAcceptCaption), QMessageBox::AcceptRole);
    box.setDefaultButton(accept);
    box.setEscapeButton(accept);
    box.exec();
}

void TMForm::setFileChooser(FileChooser chooser)
{
    fileChooser_ = std::move(chooser);
}

void TMForm::setMessageSink(MessageSink sink)
{
    messageSink_ = std::move(sink);
}

void TMForm::BExportarClick()
{
    runExport();
}

void TMForm::BImportarClick()
{
    runImport();
}

void TMForm::BCloseClick()
{
    close();
}

void TMForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownBefore_)
        return;
    shownBefore_ = true;
    // The frame is centred where the window system already knows its size,
    // the client area otherwise.
    if (QScreen* display = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(display->geometry().center());
        move(frame.topLeft());
    }
    bClose_->setFocus(Qt::OtherFocusReason);
}

} // namespace tmq
