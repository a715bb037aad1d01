#include "app/startup.h"

#include "about/about_window.h"
#include "app/app_window.h"
#include "app/main_window.h"
#include "app/manifest.h"
#include "base/interrupted_saves.h"
#include "base/paths.h"
#include "i18n/language.h"
#include "platform/file_access.h"
#include "platform/process.h"
#include "platform/session_bus.h"
#include "platform/termination.h"
#include "render/qt_time_zones.h"
#include "render/scale.h"
#include "skins/skin_files.h"

#include <QApplication>
#include <QByteArray>
#include <QDateTime>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tivora {

namespace {

struct SnapshotRequest
{
    std::string file;
    std::optional<LocalDateTime> at;
    double scale = 1;
};

// The arguments the toolkit is given: the program name alone. The toolkit would act on
// options of its own (-platform, -display, ...) anywhere on the command line, while the
// program looks only at its first argument. QApplication keeps references to both, so
// this lives as long as the application.
struct ToolkitArguments
{
    explicit ToolkitArguments(char *program) : argv {program ? program : fallback, nullptr} { }
    int argc = 1;
    char fallback[7] = "tivora"; // for a process started with no arguments at all
    char *argv[2];
};

// The windows follow the desktop's scale (its Xft.dpi, QT_SCALE_FACTOR or a screen's own
// ratio): they lay out and draw in designed pixels, which the toolkit multiplies by the
// screen's scale, drawing texts, hands and outlines at the screen's own resolution.
// Fractional scales (1.25, 1.5) are used as they are: rounded to whole ones, a 150 %
// desktop would show the widget at twice or at once its designed size.
void followDesktopScale()
{
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

constexpr const char *Usage =
    "usage: tivora [/close] | tivora --snapshot FILE.png [--at YYYY-MM-DDTHH:MM:SS] [--scale S]";

// A local date and time, with the local zone's offset from UTC at that time.
std::optional<LocalDateTime> parseLocalTime(const std::string &text)
{
    const QDateTime t = QDateTime::fromString(QString::fromStdString(text), Qt::ISODate);
    if (!t.isValid() || text.size() != 19)
        return std::nullopt;
    return localDateTimeAt(t.toMSecsSinceEpoch());
}

bool hasDisplayName()
{
    const char *display = std::getenv("DISPLAY");
    return display && *display;
}

// Picks the platform before the application exists: the widget places itself and reads
// the global cursor, which needs X11 (XWayland on Wayland desktops). When the display
// cannot be reached, the toolkit falls back to painting off-screen, which only a
// snapshot can use; trying the display through the toolkit itself spares the server a
// second connection. False when there is no display to try and no snapshot.
bool triedDisplay = false;
bool choosePlatform(bool snapshot)
{
    if (std::getenv("QT_QPA_PLATFORM"))
        return true;
    if (hasDisplayName()) {
        qputenv("QT_QPA_PLATFORM", "xcb;offscreen");
        triedDisplay = true;
        return true;
    }
    if (snapshot) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return true;
    }
    return false;
}

QtMessageHandler toolkitHandler = nullptr;

// While the application starts, the toolkit's own complaints about a display it cannot
// reach are dropped: the program says it in one line of its own.
void dropDisplayComplaints(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (context.category
        && (std::strcmp(context.category, "qt.qpa.xcb") == 0
            || std::strcmp(context.category, "qt.qpa.plugin") == 0))
        return;
    if (toolkitHandler)
        toolkitHandler(type, context, text);
}

std::unique_ptr<QApplication> startApplication(ToolkitArguments &args)
{
    toolkitHandler = qInstallMessageHandler(dropDisplayComplaints);
    auto app = std::make_unique<QApplication>(args.argc, args.argv);
    qInstallMessageHandler(toolkitHandler);
    return app;
}

// Whether the application runs on the display it was meant for, not the fallback.
bool onDisplay()
{
    return !triedDisplay || QGuiApplication::platformName() != QLatin1String("offscreen");
}

int showStartupError(char *program, const std::string &text)
{
    std::fprintf(stderr, "tivora: Application Error: %s\n", text.c_str());
    if (choosePlatform(false)) {
        ToolkitArguments qtArgs(program);
        const auto app = startApplication(qtArgs);
        if (onDisplay())
            QMessageBox::critical(nullptr, QStringLiteral("Application Error"),
                                  QString::fromStdString(text), QMessageBox::Ok);
    }
    return 1;
}

int runSnapshot(char *program, StartupContext context, const SnapshotRequest &request)
{
    ToolkitArguments qtArgs(program);
    followDesktopScale();
    const auto app = startApplication(qtArgs);
    context.snapshot = true;
    context.snapshotScale = request.scale;
    TForm1 form(context, nullptr);
    form.SetFormSize();
    const LocalDateTime time =
        request.at ? *request.at : localDateTimeAt(QDateTime::currentMSecsSinceEpoch());
    const QImage &picture = form.paintAt(time);
    if (!picture.save(QString::fromStdString(request.file), "PNG")) {
        std::fprintf(stderr, "tivora: cannot write the snapshot to %s\n", request.file.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int runTivora(int argc, char **argv)
{
    std::filesystem::path executable = ownExecutable();
    if (executable.empty())
        executable = std::filesystem::absolute(argv[0]);

    StartupContext context;
    context.executable = executable;
    // The one place that reads where the files live; everything else is handed the folder.
    DataFolderInputs where;
    where.executable = executable;
    where.tivoraHome = std::getenv("TIVORA_HOME");
    where.executableFolderWritable = canWriteFolder(executable.parent_path());
    where.xdgConfigHome = std::getenv("XDG_CONFIG_HOME");
    where.home = std::getenv("HOME");
    const DataFolder folder = dataFolder(where);
    context.dataDir = folder.path;
    // A folder that cannot be made shows up as the manifest that cannot be written.
    if (folder.perUser)
        createPrivateFolder(folder.path);
    const char *trace = std::getenv("TIVORA_DEBUG");
    context.trace = trace && *trace;
    keepFromLaunchingSessionBus();
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string &a : args)
        context.arguments << QString::fromStdString(a);

    if (!args.empty() && args[0] == "--snapshot") {
        SnapshotRequest request;
        if (args.size() < 2 || args.size() % 2 != 0) {
            std::fprintf(stderr, "%s\n", Usage);
            return 2;
        }
        request.file = args[1];
        // --at and --scale, each at most once, in either order.
        bool atGiven = false;
        bool scaleGiven = false;
        for (size_t i = 2; i < args.size(); i += 2) {
            const std::string &value = args[i + 1];
            if (args[i] == "--at" && !atGiven) {
                atGiven = true;
                if (!(request.at = parseLocalTime(value))) {
                    std::fprintf(stderr, "tivora: not a local time: %s\n%s\n", value.c_str(),
                                 Usage);
                    return 2;
                }
            } else if (args[i] == "--scale" && !scaleGiven) {
                scaleGiven = true;
                const std::optional<double> scale = parseScale(value);
                if (!scale) {
                    std::fprintf(stderr, "tivora: not a scale from %g to %g: %s\n%s\n", MinScale,
                                 MaxScale, value.c_str(), Usage);
                    return 2;
                }
                request.scale = *scale;
            } else {
                std::fprintf(stderr, "%s\n", Usage);
                return 2;
            }
        }
        choosePlatform(true);
        return runSnapshot(argv[0], context, request);
    }

    // First start: write the manifest, start anew without arguments and end.
    const std::filesystem::path manifest = manifestFile(context.dataDir, executable);
    std::error_code ec;
    if (!std::filesystem::exists(manifest, ec)) {
        if (!canWriteFile(manifest) || !writeFileAtomically(manifest, manifestText()))
            return showStartupError(argv[0], "Cannot create file " + manifest.string());
        setHiddenSystemArchive(manifest);
        relaunch(executable);
        return 0;
    }

    // Temporary files of saves cut short by a crash or a kill would pile up otherwise.
    removeInterruptedSaves(context.dataDir, skinsFolder(context.dataDir));

    const auto noDisplay = [] {
        std::fprintf(stderr,
                     "tivora: no display to show the widget on (%s); run it on a desktop, "
                     "or paint a picture with --snapshot FILE.png\n",
                     hasDisplayName() ? "cannot open DISPLAY" : "DISPLAY is not set");
        return 2;
    };
    if (!choosePlatform(false))
        return noDisplay();
    ToolkitArguments qtArgs(argv[0]);
    followDesktopScale();
    const auto app = startApplication(qtArgs);
    if (!onDisplay())
        return noDisplay();
    // The toolkit names its hidden client-leader window after the application; that
    // name must not be the title by which instances find each other.
    QApplication::setApplicationName(QStringLiteral("tivora"));
    QApplication::setQuitOnLastWindowClosed(false);
    AppWindow appWindow;
    TForm1 form(context, &appWindow);
    // One about window is made with the main window and never shown; making it writes
    // its part of the language file.
    new Form3(&form, languageFile(context.dataDir), form.N2);
    onTerminationSignals(&form, [&form] { form.closeForTermination(); });
    form.show();
    return QApplication::exec();
}

} // namespace tivora
