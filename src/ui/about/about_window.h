#pragma once

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <filesystem>
#include <functional>

class QAction;
class QLabel;
class QUrl;

namespace tivora {

// The about window: a borderless picture window with the credits, the version and two
// links, always on top and centred on the screen. It is dragged with the left mouse
// button anywhere but on its "X" and links, and closes on the "X", Escape, Enter or a
// double-click, destroying itself. While it is shown, the menu item that opens it is
// disabled.
class Form3 : public QDialog
{
    Q_OBJECT
public:
    // Opens an address with the desktop's default program; tests replace it.
    using AddressOpener = std::function<void(const QUrl &)>;

    static constexpr const char *MakerHandle = "Tivora project";
    static constexpr const char *IdeaAuthor = "Tivora team";
    static constexpr const char *WebAddress = "example.org"; // shown without a scheme
    static constexpr const char *MailAddress = "tivora@example.org";
    static constexpr const char *Version = "v 2.1";
    static constexpr int DesignWidth = 308;
    static constexpr int DesignHeight = 200;

    // owner: the window that owns this one (may be null); menuItem: the item that is
    // disabled while this window is shown (may be null).
    Form3(QWidget *owner, std::filesystem::path languageFile, QAction *menuItem,
          AddressOpener openAddress = {});

    // The background picture, loaded anew on each paint; the client area takes its size.
    QString backgroundPath = QStringLiteral(":/about/AboutBG.bmp");

    QLabel *Label2 = nullptr; // "X"
    QLabel *Label6 = nullptr; // web link
    QLabel *Label7 = nullptr; // mail link
    QLabel *Label11 = nullptr; // the mouse surface over the credits

    bool isDragging() const { return m_dragging; }

public slots:
    void Label2Click();
    void Label6Click();
    void Label7Click();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createLabels();
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormPaint();
    void fitLabels();

    std::filesystem::path m_languageFile;
    QPointer<QAction> m_menuItem;
    AddressOpener m_openAddress;
    bool m_dragging = false;
    QPoint m_grabPoint;
    QLabel *m_pressedLink = nullptr; // the link or "X" that the left button went down on
};

} // namespace tivora
