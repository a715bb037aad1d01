#include "ui/about/about_window.h"

#include "core/base/guard.h"
#include "ui/i18n/qt_language.h"
#include "ui/kit/dialog_kit.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>

namespace tivora {

namespace {

enum class LabelFont { Credit, Window, Close, Link };

struct LabelLayout
{
    const char *name;
    QRect rect;
    LabelFont font;
};

// The labels in creation order, which is also their stacking order (bottom first):
// Label11 covers the credits and carries the mouse to the window; the "X" and the two
// links lie above it.
const LabelLayout Layout[] = {
    {"Label1", {30, 43, 111, 24}, LabelFont::Credit},
    {"Label3", {45, 66, 209, 24}, LabelFont::Credit},
    {"Label4", {30, 96, 50, 24}, LabelFont::Credit},
    {"Label5", {45, 119, 169, 24}, LabelFont::Credit},
    {"Label8", {30, 152, 26, 13}, LabelFont::Window},
    {"Label9", {30, 167, 31, 13}, LabelFont::Window},
    {"Label10", {250, 167, 24, 13}, LabelFont::Window},
    {"Label11", {0, 0, Form3::DesignWidth, Form3::DesignHeight}, LabelFont::Window},
    {"Label2", {290, 5, 9, 13}, LabelFont::Close},
    {"Label6", {65, 150, 98, 16}, LabelFont::Link},
    {"Label7", {65, 165, 139, 16}, LabelFont::Link},
};

// The texts of the layout; the language file may replace them.
const BuiltInText Texts[] = {
    {"Form3", "Form3"},    {"Label1", "Разработка"},      {"Label3", Form3::MakerHandle},
    {"Label4", "Идея"},    {"Label5", Form3::IdeaAuthor}, {"Label8", "Web:"},
    {"Label9", "E-mail:"}, {"Label10", "v 2.2"},          {"Label11", " "},
    {"Label2", "X"},       {"Label6", Form3::WebAddress}, {"Label7", Form3::MailAddress},
};

// The texts the window sets itself after the language pass: no translation shows.
const BuiltInText FixedTexts[] = {
    {"Label6", Form3::WebAddress}, {"Label7", Form3::MailAddress},
    {"Label10", Form3::Version},   {"Label8", "Web:"},
    {"Label9", "E-mail:"},         {"Label3", Form3::MakerHandle},
    {"Label5", Form3::IdeaAuthor},
};

QFont labelFont(LabelFont kind)
{
    // The window's own texts are in the dialogs' design font, the credits and links in
    // Arial.
    const bool windowFont = kind == LabelFont::Window || kind == LabelFont::Close;
    QFont font = windowFont ? designFont() : QFont(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    switch (kind) {
    case LabelFont::Credit:
        font.setPixelSize(20);
        font.setBold(true);
        break;
    case LabelFont::Window:
        break; // the design font as it is: 11 pixels
    case LabelFont::Close:
        font.setBold(true);
        break;
    case LabelFont::Link:
        font.setPixelSize(13);
        font.setUnderline(true);
        break;
    }
    return font;
}

} // namespace

Form3::Form3(QWidget *owner, std::filesystem::path languageFile, QAction *menuItem,
             AddressOpener openAddress)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_languageFile(std::move(languageFile)),
      m_menuItem(menuItem),
      m_openAddress(std::move(openAddress))
{
    if (!m_openAddress)
        m_openAddress = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    setObjectName("Form3");
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(DesignWidth, DesignHeight);
    createLabels();
    setBuiltInTexts(this, Texts);
    guarded([this] { FormCreate(); });
    fitLabels();
}

void Form3::createLabels()
{
    for (const LabelLayout &l : Layout) {
        auto *label = new QLabel(this);
        label->setObjectName(l.name);
        label->setGeometry(l.rect);
        label->setFont(labelFont(l.font));
        QPalette palette = label->palette();
        if (l.font == LabelFont::Close)
            palette.setColor(QPalette::WindowText, Qt::white);
        else if (l.font == LabelFont::Link)
            palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
        else
            palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    Label2 = findChild<QLabel *>("Label2");
    Label6 = findChild<QLabel *>("Label6");
    Label7 = findChild<QLabel *>("Label7");
    Label11 = findChild<QLabel *>("Label11");
    for (QLabel *link : {Label2, Label6, Label7})
        link->installEventFilter(this);
}

void Form3::FormCreate()
{
    applyLanguage(this, m_languageFile);
    setBuiltInTexts(this, FixedTexts);
}

// Each label but the mouse surface is as large as its text, from its top-left corner.
void Form3::fitLabels()
{
    for (QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (label != Label11)
            label->resize(label->sizeHint());
    }
}

void Form3::FormShow()
{
    if (m_menuItem)
        m_menuItem->setEnabled(false);
}

void Form3::FormClose()
{
    if (m_menuItem)
        m_menuItem->setEnabled(true);
}

void Form3::FormPaint()
{
    const QImage picture(backgroundPath);
    QPainter painter(this);
    if (picture.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    if (picture.width() != width())
        setFixedWidth(picture.width());
    if (picture.height() != height())
        setFixedHeight(picture.height());
    // On a scaled screen the picture is enlarged smoothly, not in blocks.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(0, 0, picture);
}

void Form3::Label2Click()
{
    close();
}

void Form3::Label6Click()
{
    guarded([this] { m_openAddress(QUrl(QStringLiteral("http://") + WebAddress)); });
}

void Form3::Label7Click()
{
    guarded([this] { m_openAddress(QUrl(QStringLiteral("mailto:") + MailAddress)); });
}

void Form3::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
    guarded([this] { FormShow(); });
}

void Form3::closeEvent(QCloseEvent *event)
{
    guarded([this] { FormClose(); });
    QDialog::closeEvent(event);
}

void Form3::paintEvent(QPaintEvent *)
{
    guarded([this] { FormPaint(); });
}

void Form3::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (Label11)
        Label11->setGeometry(rect());
}

void Form3::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_grabPoint = event->position().toPoint();
    m_dragging = true;
}

void Form3::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        move(event->globalPosition().toPoint() - m_grabPoint);
}

void Form3::mouseReleaseEvent(QMouseEvent *)
{
    m_dragging = false;
}

void Form3::mouseDoubleClickEvent(QMouseEvent *)
{
    close();
}

void Form3::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        close();
        break;
    default:
        event->ignore();
    }
}

// The "X" and the links take their own mouse input, so pressing them starts no drag.
// A click is a left press and release on the same label; the second press of a
// double-click is none.
bool Form3::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    if (!label || (label != Label2 && label != Label6 && label != Label7))
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *e = static_cast<QMouseEvent *>(event);
        m_pressedLink = e->button() == Qt::LeftButton ? label : nullptr;
        return true;
    }
    case QEvent::MouseButtonDblClick:
        m_pressedLink = nullptr;
        return true;
    case QEvent::MouseButtonRelease: {
        const auto *e = static_cast<QMouseEvent *>(event);
        const bool click = e->button() == Qt::LeftButton && m_pressedLink == label
            && label->rect().contains(e->position().toPoint());
        m_pressedLink = nullptr;
        if (click) {
            if (label == Label2)
                Label2Click();
            else if (label == Label6)
                Label6Click();
            else
                Label7Click();
        }
        return true;
    }
    case QEvent::MouseMove:
        return true;
    default:
        return false;
    }
}

} // namespace tivora
