#include "app/MainForm.h"

#include "app/Fonts.h"
#include "app/Glyphs.h"
#include "app/GradientPanel.h"
#include "core/AppTitle.h"
#include "core/Error.h"
#include "core/WorkingFolder.h"

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

const QColor kStatusTop(0xCC, 0xD8, 0xE6);
const QColor kStatusCentre(0xCF, 0xF2, 0xFE);
const QColor kStatusBottom(0xC2, 0xCD, 0xFE);
const QColor kCommandTop(0xFF, 0xEE, 0xDD);
const QColor kCommandCentre(0xFF, 0xFF, 0xFF);
const QColor kCommandBottom(0xF9, 0xD3, 0x7D);

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
    : QWidget(parent), workingFolder_(std::move(workingFolder)), commands_(std::move(commands)),
      applicationTitle_(QString::fromStdString(
          tmq::applicationTitle(QCoreApplication::applicationFilePath().toStdString())))
{
    setObjectName(QStringLiteral("MForm"));
    setWindowTitle(QStringLiteral("Exportar e importar datos entre Mirtavel y Quelmar "));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(632, 266);
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
    draw3D1_ = new GradientPanel(kStatusTop, kStatusCentre, kStatusBottom, this);
    draw3D1_->setObjectName(QStringLiteral("Draw3D1"));
    draw3D1_->setGeometry(0, 168, 633, 97);

    QFont versionFont = dialogFont();
    versionFont.setBold(true);
    label1_ =
        new OverstrikeLabel(QStringLiteral("TransMirtavelQuelmar V-2.3"), versionFont, draw3D1_);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setTextFormat(Qt::PlainText);
    QPalette versionPalette = label1_->palette();
    versionPalette.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    label1_->setPalette(versionPalette);
    label1_->move(8, 72);
    label1_->adjustSize();

    bClose_ = makeButton(QStringLiteral("BClose"), QStringLiteral("&Salir"), openDoorPixmap(),
                         draw3D1_, QRect(256, 32, 89, 25));
    connect(bClose_, &QPushButton::clicked, this, &TMForm::BCloseClick);

    draw3D2_ = new GradientPanel(kCommandTop, kCommandCentre, kCommandBottom, this);
    draw3D2_->setObjectName(QStringLiteral("Draw3D2"));
    draw3D2_->setGeometry(1, 0, 315, 169);

    label3_ =
        makeLabel(QStringLiteral("Label3"),
                  QStringLiteral("Transformar datos desde Quelmar hacia Mirtavel "), draw3D2_);
    label3_->setGeometry(24, 24, 265, 57);

    bExportar_ = makeButton(QStringLiteral("BExportar"), QStringLiteral("Aceptar"), tickPixmap(),
                            draw3D2_, QRect(96, 120, 89, 25));
    connect(bExportar_, &QPushButton::clicked, this, &TMForm::BExportarClick);

    draw3D3_ = new GradientPanel(kCommandTop, kCommandCentre, kCommandBottom, this);
    draw3D3_->setObjectName(QStringLiteral("Draw3D3"));
    draw3D3_->setGeometry(316, 0, 317, 169);

    label4_ = makeLabel(QStringLiteral("Label4"),
                        QStringLiteral("Transformar datos desde Mirtavel hacia Quelmar"), draw3D3_);
    label4_->setGeometry(8, 24, 305, 57);

    bImportar_ = makeButton(QStringLiteral("BImportar"), QStringLiteral("Aceptar"), tickPixmap(),
                            draw3D3_, QRect(96, 120, 89, 25));
    connect(bImportar_, &QPushButton::clicked, this, &TMForm::BImportarClick);

    for (QLabel* heading : {label3_, label4_}) {
        heading->setFont(headingFont());
        heading->setWordWrap(true);
        heading->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    setTabOrder(bClose_, bExportar_);
    setTabOrder(bExportar_, bImportar_);
}

QLabel* TMForm::makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    // Labels paint no background, so the panel's blend shows through.
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* TMForm::makeButton(const QString& name, const QString& caption, const QPixmap& picture,
                                QWidget* parent, const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setIcon(buttonIcon(picture));
    button->setIconSize(QSize(kGlyphSize, kGlyphSize));
    // Auto-default buttons react to Enter and are drawn as the default
    // button while they have the focus, also outside a dialog.
    button->setAutoDefault(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

void TMForm::setUpFileDialog()
{
    openDialogXML_ = new QFileDialog(this, QStringLiteral("Archivo XML"));
    openDialogXML_->setObjectName(QStringLiteral("OpenDialogXML"));
    openDialogXML_->setModal(true);
    openDialogXML_->setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a file that does not exist is returned too; the
    // command then reports that the file is missing.
    openDialogXML_->setFileMode(QFileDialog::AnyFile);
    openDialogXML_->setOption(QFileDialog::HideNameFilterDetails);
    openDialogXML_->setNameFilter(QStringLiteral("*.xml (*.xml)"));
    openDialogXML_->setDefaultSuffix(QStringLiteral("xml"));
    openDialogXML_->setSizeGripEnabled(true);
    openDialogXML_->setDirectory(fromPath(xmlDialogFolder(workingFolder_)));
}

std::optional<std::string> TMForm::chooseXmlFile()
{
    if (fileChooser_) {
        if (const std::optional<QString> chosen = fileChooser_())
            return toPath(*chosen);
        return std::nullopt;
    }

    // Until a file has been chosen the dialog opens in the XML folder, which
    // may have been created since the window opened; afterwards it stays
    // where the user left it.
    if (session_.selectedXmlFile.empty())
        openDialogXML_->setDirectory(fromPath(xmlDialogFolder(workingFolder_)));
    if (openDialogXML_->exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = openDialogXML_->selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return toPath(files.first());
}

void TMForm::setBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busyDepth_;
    } else if (busyDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --busyDepth_;
    }
}

void TMForm::clearBusyPointer()
{
    while (busyDepth_ > 0)
        setBusy(false);
}

void TMForm::showMessage(const std::string& text)
{
    deliver(MessageKind::Information, QString::fromStdString(text));
}

void TMForm::showError(const std::string& message)
{
    deliver(MessageKind::Error, QString::fromStdString(errorReportText(message)));
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
    QPushButton* accept = box.addButton(QStringLiteral("Aceptar"), QMessageBox::AcceptRole);
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

void TMForm::execute(const Commands::Command& command)
{
    if (!command)
        return;
    try {
        command(*this, session_, workingFolder_);
    } catch (const std::exception& error) {
        // The command restores the pointer itself; this only makes sure no
        // busy pointer is left over the error report.
        clearBusyPointer();
        showError(userText(error));
    }
    clearBusyPointer();
}

void TMForm::BExportarClick()
{
    execute(commands_.exportCommand);
}

void TMForm::BImportarClick()
{
    execute(commands_.importCommand);
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
