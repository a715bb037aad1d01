#pragma once

#include <QWidget>
#include <cstdint>

namespace tivora {

// The hidden application window. It carries the application title, by which other
// instances find this one, and is never shown. A close request that reaches it (from
// another instance started with "/close") closes the main window, which saves the
// settings and ends the program.
class AppWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *Title = "Tivora";

    AppWindow();
    // The native window id, created on construction so other instances can find it.
    std::uintptr_t nativeId() const { return m_nativeId; }
    void setMainWindow(QWidget *main) { m_main = main; }

    // The application's minimized state (hidden in the tray).
    bool isMinimized() const { return m_minimized; }
    void setMinimized(bool minimized) { m_minimized = minimized; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *m_main = nullptr;
    std::uintptr_t m_nativeId = 0;
    bool m_minimized = false;
};

} // namespace tivora
