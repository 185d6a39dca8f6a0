// The tool on a Wayland session without X: a headless Weston with its own runtime folder, and
// the tool started with WAYLAND_DISPLAY alone (no DISPLAY, no QT_QPA_PLATFORM). It must come up,
// stay up, and its window must reach the screen, as Weston's own picture of its output shows.
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

const QString kSocket = QStringLiteral("vorlin-wayland-test");
// The window's client area in pixels (15240 by 9135 twips); decorations come on top.
constexpr int kWidth = 1016;
constexpr int kHeight = 609;

// A program that is stopped when the test ends, however it ends.
struct Child : QProcess {
    explicit Child(const QProcessEnvironment &environment) { setProcessEnvironment(environment); }
    ~Child() override {
        terminate();
        if (!waitForFinished(5000))
            kill();
        waitForFinished(1000);
    }
    // Waits for `done`, at most `ms` milliseconds, while the program runs.
    bool RunsUntil(const std::function<bool()> &done, int ms) {
        QElapsedTimer clock;
        clock.start();
        while (!done())
            if (state() != QProcess::Running || clock.hasExpired(ms) || waitForFinished(100))
                return false;
        return true;
    }
};

int Fail(const char *why, QProcess &tool) {
    std::fprintf(stderr, "FAIL: %s\ntool's output:\n%s\n", why, tool.readAll().constData());
    return 1;
}

// Whether a screenshot Weston takes of its output shows a window: pixels other than the plain
// background that fill a box at least the window's size, and nearly all of it.
bool WindowOnScreen(const QString &shooter, const QProcessEnvironment &session,
                    const QString &folder) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QProcess shot;
    shot.setProcessEnvironment(session);
    shot.setWorkingDirectory(folder);
    shot.start(shooter, {});
    const QStringList files = shot.waitForFinished(10000) && shot.exitCode() == 0
                                  ? QDir(folder).entryList({QStringLiteral("*.png")})
                                  : QStringList();
    const QImage image = files.isEmpty() ? QImage() : QImage(folder + u'/' + files.first());
    QRect drawn;
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != image.pixel(0, 0)) {
                drawn |= QRect(x, y, 1, 1);
                ++count;
            }
    return drawn.width() >= kWidth && drawn.height() >= kHeight &&
           count >= qint64(kWidth) * kHeight * 9 / 10;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    const QString shooter = QStandardPaths::findExecutable(QStringLiteral("weston-screenshooter"));
    if (weston.isEmpty() || shooter.isEmpty()) {
        std::printf("SKIP: weston is not installed (Debian: weston); this test needs its "
                    "headless compositor\n");
        return 77;
    }

    // A runtime folder like a session's own (QTemporaryDir makes it 0700), and a plain desktop.
    QTemporaryDir runtime;
    QFile config(runtime.filePath(QStringLiteral("weston.ini")));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write("[shell]\nbackground-color=0xff204080\npanel-position=none\n") < 0)
        return 1;
    config.close();
    QProcessEnvironment session = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM",
                             "QT_QPA_PLATFORMTHEME", "XDG_SESSION_TYPE"})
        session.remove(QString::fromLatin1(name));
    session.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

    // Pixels are drawn only with a renderer, and screenshots need --debug. Weston writes its log
    // to standard error, which the test's output shows.
    Child compositor(session);
    compositor.setProcessChannelMode(QProcess::ForwardedChannels);
    compositor.start(weston,
                     {QStringLiteral("--backend=headless-backend.so"),
                      QStringLiteral("--socket=") + kSocket, QStringLiteral("--idle-time=0"),
                      QStringLiteral("--use-pixman"), QStringLiteral("--debug"),
                      QStringLiteral("--width=1280"), QStringLiteral("--height=800"),
                      QStringLiteral("--config=") + config.fileName()});
    if (!compositor.waitForStarted() ||
        !compositor.RunsUntil([&] { return QFile::exists(runtime.filePath(kSocket)); }, 20000)) {
        std::fprintf(stderr, "FAIL: weston did not start\n");
        return 1;
    }
    session.insert(QStringLiteral("WAYLAND_DISPLAY"), kSocket);

    Child tool(session);
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QStringLiteral(VORLIN_CONFIG_PATH), {});
    const QString shots = runtime.filePath(QStringLiteral("shots"));
    const auto shown = [&] { return WindowOnScreen(shooter, session, shots); };
    if (!tool.waitForStarted() || !tool.RunsUntil(shown, 30000))
        return Fail("the window did not reach the screen", tool);
    if (tool.waitForFinished(3000) || !shown())
        return Fail("the tool did not stay up with its window shown", tool);
    std::printf("PASS: the tool started on Wayland, showed its window and stayed up\n");
    return 0;
}
