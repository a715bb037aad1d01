// Every dialog at the scale this run is given (the build runs these tests once per
// scale, with QT_SCALE_FACTOR): each control inside its parent, each caption whole and
// no two captions on top of each other.
#include "ui/about/about_window.h"
#include "ui/app/app_window.h"
#include "ui/app/main_window.h"
#include "ui/options/options_dialog.h"
#include "ui/skins/skin_choosers.h"
#include "ui/skins/skin_editor.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <gtest/gtest.h>

using namespace tivora;

namespace {

std::string nameOf(const QWidget *w)
{
    return w->objectName().toStdString();
}

// Where the widget's caption is drawn, in its parent's coordinates (empty when it has
// none), and whether the caption fits.
QRect captionOf(const QWidget *w, bool &fits)
{
    fits = true;
    QString text;
    QRect room = w->rect();
    int align = Qt::AlignCenter;
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        if (!label->wordWrap())
            text = QTextDocumentFragment::fromHtml(label->text()).toPlainText();
        room = label->contentsRect();
        align = label->alignment();
    } else if (const auto *box = qobject_cast<const QCheckBox *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(box);
        text = box->text();
        room = w->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, w);
        align = Qt::AlignLeft | Qt::AlignVCenter;
    } else if (const auto *button = qobject_cast<const QPushButton *>(w)) {
        text = button->text();
        room.adjust(2, 0, -2, 0);
    } else if (const auto *group = qobject_cast<const QGroupBox *>(w)) {
        text = group->title();
        room = QRect(8, 0, w->width() - 8, w->fontMetrics().height()); // on the top line
        align = Qt::AlignLeft | Qt::AlignTop;
    }
    text.remove(QLatin1Char('&'));
    if (text.isEmpty())
        return {};
    const QSize size = w->fontMetrics().size(Qt::TextSingleLine, text);
    fits = size.width() <= room.width();
    return QStyle::alignedRect(w->layoutDirection(), Qt::Alignment(align), size, room)
        .translated(w->pos());
}

// Checks the shown controls below the widget, and the widget's own caption beside its
// children's.
void expectLaidOut(const QWidget *top)
{
    QList<const QWidget *> parents = top->findChildren<const QWidget *>();
    parents.prepend(top);
    for (const QWidget *parent : parents) {
        if (!parent->isVisibleTo(top) || parent->objectName().startsWith(QLatin1String("qt_")))
            continue; // the toolkit's own parts of a control (a spin box's field) are its business
        bool fits;
        std::vector<std::pair<QRect, std::string>> captions;
        if (qobject_cast<const QGroupBox *>(parent))
            captions.emplace_back(captionOf(parent, fits).translated(-parent->pos()),
                                  nameOf(parent));
        for (const QWidget *child :
             parent->findChildren<const QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!child->isVisibleTo(top) || child->objectName().startsWith(QLatin1String("qt_")))
                continue;
            EXPECT_TRUE(parent->rect().contains(child->geometry()))
                << nameOf(child) << " outside " << nameOf(parent);
            captions.emplace_back(captionOf(child, fits), nameOf(child));
            EXPECT_TRUE(fits) << nameOf(child) << "'s caption is cut";
        }
        for (size_t i = 0; i < captions.size(); ++i)
            for (size_t j = i + 1; j < captions.size(); ++j)
                EXPECT_FALSE(captions[i].first.intersects(captions[j].first))
                    << captions[i].second << " and " << captions[j].second << " overlap";
    }
}

} // namespace

TEST(DialogLayout, EveryControlInsideItsParentAndNoCaptionsOverlap)
{
    QTemporaryDir tmp;
    const std::filesystem::path dir = tmp.path().toStdString();
    AppWindow app;
    TForm1 form(StartupContext {dir / "tivora", dir, {}, false}, &app, DesktopServices {});
    form.show();
    // The scale the run asked for is the one the windows are shown at.
    const QString asked = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"));
    ASSERT_DOUBLE_EQ(form.devicePixelRatioF(), asked.toDouble());

    Form2 options(form.model(), form);
    options.show();
    expectLaidOut(&options);
    // The skin editor's panel slides in over the view box.
    options.skinEditor->Button5Click();
    ASSERT_EQ(options.GroupBox3->pos(), options.GroupBox2->pos());
    expectLaidOut(options.GroupBox3);
    Form3 about(&form, dir / "tivora.lng", nullptr);
    about.show();
    expectLaidOut(&about);
    FontColorDialog chooser(FontSpec {"Liberation Sans", 8, 0, false, false, false, false});
    chooser.show();
    expectLaidOut(&chooser);
}
