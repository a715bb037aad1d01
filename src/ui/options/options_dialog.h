#pragma once

#include "core/time/city_list.h"
#include "core/options/options_form.h"
#include "core/options/options_host.h"

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;

namespace tivora {

class SkinEditor;

// Where the city list comes from: a tz database folder holding zone.tab and
// iso3166.tab, the standard-time offset of a zone and that of the local zone (minutes
// east of UTC, daylight saving left out).
struct TimeZoneSource
{
    std::filesystem::path folder;
    StandardOffsetLookup standardOffset;
    std::function<int()> localStandardOffset;
};

// The system's time zones: the tz database under /usr/share/zoneinfo, offsets from the
// toolkit's time zones.
TimeZoneSource systemTimeZones();

// The options dialog. Its controls are the working copy of the model's settings and
// clock list while it is open; only OK copies them back and has the host (the main
// window) save, resize and repaint (a skin pick applies at once). It destroys itself
// when it closes, by whatever route.
class Form2 : public QDialog
{
    Q_OBJECT
public:
    // Client area of the layout, and the width left when the skin box is out of view.
    static constexpr int DesignWidth = 637;
    static constexpr int DesignHeight = 381;
    static constexpr int NarrowWidth = 417; // 204 + 212 + 7 outside, less the 3-pixel borders
    static constexpr int SkinBoxParkedLeft = 419;

    Form2(WidgetModel &model, OptionsHost &host, TimeZoneSource zones = systemTimeZones());
    ~Form2() override;

    // The local zone's bias in minutes (UTC = local standard time + bias), read when
    // the dialog is shown.
    int LocalBias = 0;

    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QGroupBox *GroupBox3 = nullptr;

    QListWidget *lb1 = nullptr; // the clock lines; a zone-bound line shows its zone as tool tip
    QPushButton *Button3 = nullptr;
    QPushButton *Button4 = nullptr;
    QLabel *Label1 = nullptr;
    QSpinBox *e1 = nullptr;
    QLabel *Label2 = nullptr;
    QSpinBox *e2 = nullptr;
    QLabel *Label6 = nullptr;
    QLineEdit *e3 = nullptr;
    QLabel *Label22 = nullptr;
    // Items show a zone's display name; their data is "name|offset" and the zone itself.
    QComboBox *cbCity = nullptr;

    QCheckBox *cb1 = nullptr;
    QCheckBox *cb2 = nullptr;
    QCheckBox *cb3 = nullptr;
    QCheckBox *cb4 = nullptr;
    QCheckBox *cb5 = nullptr;
    QCheckBox *cb6 = nullptr;
    QCheckBox *cb7 = nullptr;
    QCheckBox *cb8 = nullptr;
    QCheckBox *cb9 = nullptr;
    QLineEdit *e4 = nullptr;
    QFrame *Bevel2 = nullptr;
    QLabel *Label17 = nullptr;
    QLabel *Label18 = nullptr;
    QSlider *tb1 = nullptr;
    QLabel *Label19 = nullptr;
    QLabel *Label20 = nullptr;
    QSlider *tb2 = nullptr;
    QLabel *Label21 = nullptr;
    QFrame *Bevel1 = nullptr;
    QLabel *Label14 = nullptr;
    QLabel *Label15 = nullptr;
    QLineEdit *cwidth = nullptr;
    QLabel *Label8 = nullptr;
    QComboBox *skin = nullptr;
    QPushButton *Button5 = nullptr; // opens the skin editor

    // The skin editor in GroupBox3.
    SkinEditor *skinEditor = nullptr;

    void FillSkinList();
    void FillCityList();
    // The selected line of lb1, or -1.
    int selectedLine() const;

public slots:
    void Button1Click();
    void Button2Click();
    void tb1Change();
    void tb2Change();
    void skinChange();
    void lb1Click();
    void Button3Click();
    void Button4Click();
    void e2Exit();
    void cbCityChange();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void buildClockBox();
    void buildViewBox();
    void applyTabOrder();
    void setClockFieldsEnabled(bool enabled);
    void selectLine(int row);
    TOptions &options() { return m_model.options; }

    WidgetModel &m_model;
    OptionsHost &m_host;
    TimeZoneSource m_zones;
    std::vector<std::string> m_skinNames; // the items of skin
    bool m_shown = false;
    bool m_closed = false;
};

} // namespace tivora
