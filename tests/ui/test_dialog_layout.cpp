// Every dialog at the scale this run is given (the build runs these tests once per
// scale, with QT_SCALE_FACTOR): each control inside its parent, each caption whole and
// no two captions on top of each other.
#include "about/about_window.h"
#include "app/app_window.h"
#include "app/main_window.h"
#include "options/options_dialog.h"
#include "skins/skin_choosers.h"
#include "skins/skin_editor.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

using namespace tivora;
namespace fs = std::filesystem;

namespace {

std::string nameOf(const QWidget *w)
{
    return w->objectName().toStdString() + " (" + w->metaObject()->className() + ")";
}

QString withoutMnemonic(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

// Where the widget's caption is drawn, in its parent's coordinates; empty when it has
// none. A caption that does not fit its widget is reported.
QRect captionOf(const QWidget *w, std::string &cut)
{
    const QFontMetrics fm(w->font());
    QString text;
    QRect area;
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        if (label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull())
            return {};
        text = label->textFormat() == Qt::RichText
            ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
            : withoutMnemonic(label->text());
        const QSize size = fm.size(Qt::TextSingleLine, text);
        area = QStyle::alignedRect(w->layoutDirection(), label->alignment(), size,
                                   label->contentsRect());
        if (size.width() > label->contentsRect().width())
            cut = nameOf(w) + " needs " + std::to_string(size.width()) + " of "
                + std::to_string(label->contentsRect().width());
    } else if (qobject_cast<const QCheckBox *>(w) || qobject_cast<const QRadioButton *>(w)) {
        const auto *box = static_cast<const QAbstractButton *>(w);
        if (box->text().isEmpty())
            return {};
        QStyleOptionButton opt;
        opt.initFrom(box);
        opt.text = box->text();
        const QRect contents = w->style()->subElementRect(qobject_cast<const QCheckBox *>(w)
                                                              ? QStyle::SE_CheckBoxContents
                                                              : QStyle::SE_RadioButtonContents,
                                                          &opt, w);
        const QSize size = fm.size(Qt::TextShowMnemonic, box->text());
        area = QStyle::alignedRect(w->layoutDirection(), Qt::AlignLeft | Qt::AlignVCenter, size,
                                   contents);
        if (size.width() > contents.width())
            cut = nameOf(w) + " needs " + std::to_string(size.width()) + " of "
                + std::to_string(contents.width());
    } else if (const auto *button = qobject_cast<const QPushButton *>(w)) {
        text = withoutMnemonic(button->text());
        if (text.isEmpty())
            return {};
        const QSize size = fm.size(Qt::TextSingleLine, text);
        area = QStyle::alignedRect(w->layoutDirection(), Qt::AlignCenter, size, w->rect());
        if (size.width() + 4 > w->width())
            cut = nameOf(w) + " needs " + std::to_string(size.width() + 4) + " of "
                + std::to_string(w->width());
    } else if (const auto *group = qobject_cast<const QGroupBox *>(w)) {
        if (group->title().isEmpty())
            return {};
        // The caption sits 8 pixels in on the top line.
        area = QRect(8, 0, fm.horizontalAdvance(group->title()), fm.height());
        if (area.right() >= w->width())
            cut = nameOf(w) + " caption runs past its box";
    } else {
        return {};
    }
    return area.translated(w->pos());
}

bool checked(const QWidget *w)
{
    // The toolkit's own parts of a control (a spin box's field, a list's scroll bars)
    // are its business.
    return !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"));
}

// Whether the widget shows in the window: visible, and neither it nor a parent hidden
// under a sibling stacked above it (the skin editor's panel covers the view box).
bool shown(const QWidget *w, const QWidget *window)
{
    if (!w->isVisibleTo(window))
        return false;
    for (; w != window; w = w->parentWidget()) {
        const QObjectList &siblings = w->parentWidget()->children();
        for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
            const auto *above = qobject_cast<const QWidget *>(siblings[i]);
            if (above && above->isVisibleTo(window) && above->geometry().contains(w->geometry()))
                return false;
        }
    }
    return true;
}

// Checks every shown control below the window.
void expectLaidOut(const QWidget *window)
{
    SCOPED_TRACE(nameOf(window));
    QList<const QWidget *> parents = window->findChildren<const QWidget *>();
    parents << window;
    for (const QWidget *parent : parents) {
        if (!shown(parent, window) || !checked(parent))
            continue;
        std::vector<std::pair<QRect, const QWidget *>> captions;
        if (const auto *group = qobject_cast<const QGroupBox *>(parent)) {
            std::string cut;
            const QRect title = captionOf(group, cut).translated(-group->pos());
            if (!title.isEmpty())
                captions.emplace_back(title, group);
        }
        for (const QWidget *child :
             parent->findChildren<const QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (child->isWindow() || !checked(child) || !shown(child, window))
                continue;
            EXPECT_TRUE(parent->rect().contains(child->geometry()))
                << nameOf(child) << " at " << child->x() << "," << child->y() << " "
                << child->width() << "x" << child->height() << " outside " << nameOf(parent) << " "
                << parent->width() << "x" << parent->height();
            std::string cut;
            const QRect caption = captionOf(child, cut);
            EXPECT_EQ(cut, "");
            if (!caption.isEmpty())
                captions.emplace_back(caption, child);
        }
        for (size_t i = 0; i < captions.size(); ++i)
            for (size_t j = i + 1; j < captions.size(); ++j)
                EXPECT_FALSE(captions[i].first.intersects(captions[j].first))
                    << nameOf(captions[i].second) << " and " << nameOf(captions[j].second)
                    << " overlap in " << nameOf(parent);
    }
}

class DialogLayout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        dir = fs::path(tmp.path().toStdString());
        app = std::make_unique<AppWindow>();
        form = std::make_unique<TForm1>(StartupContext {dir / "tivora", dir, {}, false}, app.get(),
                                        DesktopServices {});
        form->show();
        // The scale the run asked for is the one the windows are shown at.
        const double asked = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
            ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
            : 1.0;
        ASSERT_DOUBLE_EQ(form->devicePixelRatioF(), asked);
    }

    QTemporaryDir tmp;
    fs::path dir;
    std::unique_ptr<AppWindow> app;
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(DialogLayout, EveryControlInsideItsParentAndNoCaptionsOverlap)
{
    {
        Form2 options(form->model(), *form);
        options.show();
        expectLaidOut(&options);
        options.skinEditor->Button5Click(); // the skin editor slides in over the view box
        expectLaidOut(&options);
    }
    {
        Form3 about(form.get(), dir / "tivora.lng", nullptr);
        about.show();
        expectLaidOut(&about);
    }
    {
        FontColorDialog chooser(FontSpec {"Liberation Sans", 8, 0, false, false, false, false});
        chooser.show();
        expectLaidOut(&chooser);
    }
}
