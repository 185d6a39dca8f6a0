// The tool on a Wayland session without X: a headless Weston with its own runtime folder, and
// the tool started with WAYLAND_DISPLAY alone (no DISPLAY, no QT_QPA_PLATFORM). It must come up,
// stay up, and its window must reach the screen: Weston's own picture of its output, on a plain
// background, holds a window at least the tool's size.
// Exit status: 0 passed, 1 failed, 77 skipped (Weston is not installed).
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

constexpr int kSkipped = 77;
const QString kSocket = QStringLiteral("vorlin-wayland-test");
// The window's client area in pixels (15240 by 9135 twips); decorations come on top.
constexpr QSize kWindowSize(1016, 609);

// A program that is stopped when the test ends, however it ends.
struct Child : QProcess {
    ~Child() override {
        terminate();
        if (!waitForFinished(5000))
            kill();
        waitForFinished(1000);
    }
    bool Start(const QString &program, const QStringList &arguments) {
        start(program, arguments);
        return waitForStarted(10000);
    }
};

int Fail(const QString &why, QProcess *tool = nullptr) {
    std::fprintf(stderr, "FAIL: %s\n", qPrintable(why));
    if (tool != nullptr)
        std::fprintf(stderr, "tool's output:\n%s\n", tool->readAll().constData());
    return 1;
}

QString ReadAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Waits for `done`, at most `ms` milliseconds, while `alive` holds.
bool WaitFor(const std::function<bool()> &done, QProcess &alive, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (alive.state() != QProcess::Running || clock.hasExpired(ms))
            return false;
        alive.waitForFinished(100);
    }
    return true;
}

// Whether Weston's output, in a screenshot Weston takes itself, shows something the size of the
// window: its pixels other than the background fill at least such a box, and nearly all of it.
bool WindowOnScreen(const QString &shooter, const QProcessEnvironment &session,
                    const QString &folder) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QProcess shot;
    shot.setProcessEnvironment(session);
    shot.setWorkingDirectory(folder);
    shot.start(shooter, {});
    if (!shot.waitForFinished(10000) || shot.exitCode() != 0)
        return false;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.png")});
    const QImage image = files.isEmpty() ? QImage() : QImage(folder + u'/' + files.first());
    if (image.isNull())
        return false;
    const QRgb background = image.pixel(0, 0);
    QRect drawn;
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) {
                drawn |= QRect(x, y, 1, 1);
                ++count;
            }
    return drawn.width() >= kWindowSize.width() && drawn.height() >= kWindowSize.height() &&
           count >= qint64(kWindowSize.width()) * kWindowSize.height() * 9 / 10;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    const QString shooter = QStandardPaths::findExecutable(QStringLiteral("weston-screenshooter"));
    if (weston.isEmpty() || shooter.isEmpty()) {
        std::printf("SKIP: weston is not installed (Debian: weston); the Wayland start test "
                    "needs its headless compositor\n");
        return kSkipped;
    }

    // A runtime folder of the session's own kind, for Weston's socket.
    QTemporaryDir runtime;
    if (!runtime.isValid() ||
        !QFile::setPermissions(runtime.path(),
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return Fail(QStringLiteral("no runtime folder"));
    QFile config(runtime.filePath(QStringLiteral("weston.ini")));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write("[shell]\nbackground-color=0xff204080\npanel-position=none\n") < 0)
        return Fail(QStringLiteral("cannot write weston.ini"));
    config.close();

    QProcessEnvironment session = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM",
                             "QT_QPA_PLATFORMTHEME", "XDG_SESSION_TYPE"})
        session.remove(QString::fromLatin1(name));
    session.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

    // Pixels are drawn only with a renderer; the screenshot interface needs --debug. Weston
    // runs as root too (CI), with the headless backend.
    Child compositor;
    compositor.setProcessEnvironment(session);
    compositor.setProcessChannelMode(QProcess::ForwardedChannels);
    const QString log = runtime.filePath(QStringLiteral("weston.log"));
    const bool started = compositor.Start(
        weston,
        {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + kSocket,
         QStringLiteral("--idle-time=0"), QStringLiteral("--use-pixman"), QStringLiteral("--debug"),
         QStringLiteral("--width=1280"), QStringLiteral("--height=800"),
         QStringLiteral("--config=") + config.fileName(), QStringLiteral("--log=") + log});
    const auto socketUp = [&runtime] { return QFile::exists(runtime.filePath(kSocket)); };
    if (!started || !WaitFor(socketUp, compositor, 20000))
        return Fail(QStringLiteral("weston did not start:\n") + ReadAll(log));
    session.insert(QStringLiteral("WAYLAND_DISPLAY"), kSocket);

    Child tool;
    tool.setProcessEnvironment(session);
    tool.setProcessChannelMode(QProcess::MergedChannels);
    if (!tool.Start(QStringLiteral(VORLIN_CONFIG_PATH), {}))
        return Fail(QStringLiteral("the tool did not start"), &tool);
    const QString shots = runtime.filePath(QStringLiteral("shots"));
    const auto windowShown = [&] { return WindowOnScreen(shooter, session, shots); };
    if (!WaitFor(windowShown, tool, 30000))
        return Fail(QStringLiteral("the window did not reach the screen"), &tool);
    if (tool.waitForFinished(3000))
        return Fail(QStringLiteral("the tool ended after it showed its window"), &tool);
    if (!windowShown())
        return Fail(QStringLiteral("the window left the screen"), &tool);
    std::printf("PASS: the tool started on Wayland, showed its window and stayed up\n");
    return 0;
}
