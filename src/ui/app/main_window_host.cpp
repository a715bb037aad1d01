#include "ui/app/main_window.h"

#include "platform/window_state.h"
#include "ui/skins/skin_files.h"

#include <QAction>
#include <QTimer>


// What the options dialog and the skin editor ask of the widget (OptionsHost,
// SkinHost): its skin, its settings, its on-top state, its menu item and its clock.
// Whatever may change the picture first ends the frames handed to the window system,
// which were drawn with the settings of before; the next tick paints it whole.

namespace tivora {

void TForm1::LoadSkin()
{
    settleFrames();
    m_repaintAll = true;
    tivora::LoadSkin(m_model.dataDir(), m_model.options, m_skin, m_dpi);
}

void TForm1::useBuiltInSkin(const std::string &reason)
{
    std::fprintf(stderr, "tivora: %s; drawing the built-in skin instead\n", reason.c_str());
    settleFrames();
    m_repaintAll = true;
    tivora::useBuiltInSkin(m_model.options, m_skin, m_dpi);
}

void TForm1::SaveSkin()
{
    settleFrames();
    m_repaintAll = true; // the image is read again
    tivora::SaveSkin(m_model.dataDir(), m_model.options, m_skin);
}

void TForm1::SaveOptions()
{
    settleFrames();
    m_model.save(*this);
}

void TForm1::setStayOnTop(bool onTop)
{
    if (onTop == m_onTop)
        return;
    m_onTop = onTop;
    // Asked of the window manager for the window as it is: a new native window (what a
    // change of the toolkit's window flags makes) would lose its place, its shape and
    // the states that keep it a widget. A hidden window gets it when it is shown.
    if (isVisible())
        setKeptAbove(winId(), onTop);
}

bool TForm1::stayOnTop() const
{
    return m_onTop;
}

void TForm1::setOptionsItemEnabled(bool enabled)
{
    if (N1)
        N1->setEnabled(enabled);
}

void TForm1::holdClock()
{
    Timer1->stop();
    // Frames handed to the window system would go on showing the time.
    if (settleFrames())
        PaintClocks();
}

void TForm1::resumeClock()
{
    Timer1->start();
}

void TForm1::setOpacitySwitch(bool on)
{
    settleFrames(); // the opacity under the mouse is looked at every second
    setWindowOpacity(m_model.setOpacitySwitch(on) / 255.0);
}

} // namespace tivora
