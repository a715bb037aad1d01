#include "ui/app/startup.h"

#include "ui/about/about_window.h"
#include "ui/app/app_window.h"
#include "ui/app/main_window.h"
#include "core/model/manifest.h"
#include "core/time/clock_time.h"
#include "core/time/local_clock.h"
#include "core/time/moment_text.h"
#include "core/base/interrupted_saves.h"
#include "core/base/paths.h"
#include "core/i18n/language.h"
#include "core/i18n/shipped_languages.h"
#include "ui/app/message_box.h"
#include "platform/display.h"
#include "platform/file_access.h"
#include "platform/font_warmup.h"
#include "platform/process.h"
#include "platform/session_bus.h"
#include "platform/termination.h"
#include "ui/skins/skin_files.h"
#include "platform/window_state.h"
#include "core/render/scale.h"

#include <QApplication>
#include <QByteArray>
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
    "usage: tivora [/close] | tivora --language CODE | "
    "tivora --snapshot FILE.png [--at YYYY-MM-DDTHH:MM:SS[Z|+hh:mm]] [--scale S] | "
    "tivora --help | tivora --version";

constexpr const char *Help =
    "usage: tivora [OPTION]\n"
    "Shows a grid of clock faces, one for the local time and one for every time offset\n"
    "configured, in one borderless window on the X11 desktop.\n"
    "\n"
    "  /close                 close every other running Tivora first (each saves its\n"
    "                         settings), then start with the settings they left\n"
    "  --language CODE        install the translation CODE (en, de, fr, es) as the\n"
    "                         language file, keeping the old one as langfile.lng.bak,\n"
    "                         and start; ru removes it, so the built-in Russian texts show\n"
    "  --snapshot FILE.png [--at YYYY-MM-DDTHH:MM:SS[Z|+hh:mm]] [--scale S]\n"
    "                         paint the clock grid once (at the given local time, or with\n"
    "                         a zone suffix at that moment; at the scale S, 1 by default)\n"
    "                         into a PNG picture and exit; needs no display, writes no\n"
    "                         settings\n"
    "  -h, --help             show this help and exit\n"
    "  --version              show the version and exit\n"
    "\n"
    "Only the first argument is looked at. SIGTERM closes the widget as its menu item\n"
    "\"Выход\" (exit) does: the settings are saved.\n"
    "Environment: TIVORA_HOME names the folder for all files; TIVORA_DEBUG, when set,\n"
    "prints dropped errors and tick times to stderr.\n";

// The local date and time of the moment, with the local zone's offset from UTC then: a
// time without a zone suffix is a local time, one with a suffix names an instant.
std::optional<LocalDateTime> parseLocalTime(const std::string &text, const LocalClock &clock)
{
    const std::optional<MomentText> moment = parseMoment(text);
    if (!moment)
        return std::nullopt;
    if (moment->hasOffset)
        return localDateTimeAt(utcSecondsOf(moment->time), clock.localOffset);
    return localTimeOf(moment->time, clock.localOffset);
}

QtMessageHandler toolkitHandler = nullptr;

// While the application starts, the toolkit's own complaints about a display it cannot
// reach are dropped: the program says it in one line of its own.
void dropDisplayComplaints(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (isDisplayComplaint(context.category))
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

int showStartupError(char *program, const std::string &text)
{
    std::fprintf(stderr, "tivora: Application Error: %s\n", text.c_str());
    if (choosePlatform(false)) {
        ToolkitArguments qtArgs(program);
        const auto app = startApplication(qtArgs);
        if (onDisplay())
            showMessageBox(QMessageBox::Critical, QStringLiteral("Application Error"),
                           QString::fromStdString(text), nullptr);
    }
    return 1;
}

int runSnapshot(char *program, StartupContext context, const SnapshotRequest &request,
                const LocalClock &clock)
{
    ToolkitArguments qtArgs(program);
    followDesktopScale();
    const auto app = startApplication(qtArgs);
    context.snapshot = true;
    DesktopServices services;
    services.clock = clock;
    context.snapshotScale = request.scale;
    TForm1 form(context, nullptr, services);
    form.SetFormSize();
    const LocalDateTime time = request.at ? *request.at : clock.now();
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
    // Answered before anything is looked up or written.
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Help, stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tivora %s\n", TIVORA_VERSION);
        return 0;
    }
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
    std::error_code canonical;
    where.installFolder = std::filesystem::weakly_canonical(TIVORA_INSTALL_BINDIR, canonical);
    if (canonical)
        where.installFolder = TIVORA_INSTALL_BINDIR;
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
        const LocalClock clock = systemClock();
        // --at and --scale, each at most once, in either order.
        bool atGiven = false;
        bool scaleGiven = false;
        for (size_t i = 2; i < args.size(); i += 2) {
            const std::string &value = args[i + 1];
            if (args[i] == "--at" && !atGiven) {
                atGiven = true;
                if (!(request.at = parseLocalTime(value, clock))) {
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
        return runSnapshot(argv[0], context, request, clock);
    }

    const std::filesystem::path langFile = languageFile(context.dataDir);
    if (!args.empty() && args[0] == "--language") {
        if (args.size() != 2 || !isLanguageCode(args[1])) {
            std::fprintf(stderr, "tivora: --language takes one of en, de, fr, es, ru\n%s\n",
                         Usage);
            return 2;
        }
        const std::string error =
            installLanguage(langFile, args[1], shippedLanguageFolders(executable));
        if (!error.empty()) {
            std::fprintf(stderr, "tivora: cannot install the language %s: %s\n",
                         args[1].c_str(), error.c_str());
            return 1;
        }
    }

    // First start: write the manifest, start anew without arguments and end.
    const std::filesystem::path manifest = manifestFile(context.dataDir, executable);
    std::error_code ec;
    if (!std::filesystem::exists(manifest, ec)) {
        // An installed program speaks the user's language from the start; a failure
        // leaves the built-in texts, as before.
        const LocaleVariables locale {std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                      std::getenv("LANG")};
        const std::string language =
            firstStartLanguage(folder.perUser, !isMissing(langFile), locale);
        if (!language.empty())
            installLanguage(langFile, language, shippedLanguageFolders(executable));
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
                     whyNoDisplay());
        return 2;
    };
    if (!choosePlatform(false))
        return noDisplay();
    startFontWarmUp();
    ToolkitArguments qtArgs(argv[0]);
    followDesktopScale();
    // The window's pixels go to the X server over the connection, not through shared
    // memory: before a paint may touch a shared buffer again the toolkit waits for the
    // server in a round trip, which wakes the program's event thread on every tick,
    // while a tick's changed pixels are only a few kilobytes.
    const bool shmChosen = qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM");
    if (!shmChosen)
        qputenv("QT_XCB_NO_MITSHM", "1");
    const auto app = startApplication(qtArgs);
    if (!shmChosen)
        qunsetenv("QT_XCB_NO_MITSHM");
    finishFontWarmUp();
    if (!onDisplay())
        return noDisplay();
    widenRequestBuffer();
    // The toolkit names its hidden client-leader window after the application; that
    // name must not be the title by which instances find each other.
    QApplication::setApplicationName(QStringLiteral("tivora"));
    QApplication::setQuitOnLastWindowClosed(false);
    AppWindow appWindow;
    TForm1 form(context, &appWindow);
    onTerminationSignals(&form, [&form] { form.closeForTermination(); });
    form.show();
    sendRequestsNow();
    // One about window is made with the main window and never shown; making it writes
    // its part of the language file. It is made once the widget's map has gone out.
    new Form3(&form, languageFile(context.dataDir), form.N2);
    // When the X server goes away (the session ends), the toolkit ends the program with
    // exit(); the settings are saved on that way out too.
    static TForm1 *running = nullptr;
    running = &form;
    std::atexit([] {
        if (running)
            running->saveOnLostDisplay();
    });
    const int code = QApplication::exec();
    running = nullptr;
    return code;
}

} // namespace tivora
