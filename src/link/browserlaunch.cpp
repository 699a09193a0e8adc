#include "browserlaunch.h"

#include "linknotice.h"

#include <QFileInfo>
#include <QWidget>

#ifdef Q_OS_WIN
#include "windowscommandline.h"

#include <qt_windows.h>

#include <string>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;
#endif

namespace {

// A browser starter that finds no browser gives up at once; a browser that ends badly later was
// started all the same.
constexpr int kFailureWindowMilliseconds = 10000;
constexpr int kPollMilliseconds = 100;
constexpr int kReapPollMilliseconds = 2000;

// Starts the command as its own process with no shell in between (on Linux with stdin on the
// null device), without waiting for it; its id, or 0 when it could not be started at all.
qint64 startCommand(const QStringList &command)
{
#ifdef Q_OS_WIN
    std::wstring text = windowsCommandLine(command).toStdWString();
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED; // window style 2: minimized and activated
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
#else
    // posix_spawnp reports a program that cannot be executed as an error. The browser gets a
    // session of its own, so closing the window's terminal or the window does not end it; its
    // output goes to the null device too, never into the book's, and its environment is the
    // book's as it was started (nothing in the book changes it).
    std::vector<QByteArray> words;
    for (const QString &word : command)
        words.push_back(word.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv.front(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : 0;
#endif
}

} // namespace

BrowserLaunch::BrowserLaunch(QList<QStringList> commands, QString address, QWidget *button)
    : QObject(button)
    , m_button(button)
    , m_commands(std::move(commands))
    , m_address(std::move(address))
{
    m_watch.setInterval(kPollMilliseconds);
    connect(&m_watch, &QTimer::timeout, this, &BrowserLaunch::watch);
}

void BrowserLaunch::start()
{
    while (!m_commands.isEmpty()) {
        const QStringList command = m_commands.takeFirst();
        m_program = command.first();
        m_pid = startCommand(command);
        if (m_pid != 0) {
#ifdef Q_OS_WIN
            deleteLater(); // Windows: the start is all that is known
#else
            m_watchedMilliseconds = 0;
            m_watch.setInterval(kPollMilliseconds);
            m_watch.start();
#endif
            return;
        }
    }
    failed(m_program);
}

// Polled, never blocking: has the started command ended, and how?
void BrowserLaunch::watch()
{
#ifndef Q_OS_WIN
    m_watchedMilliseconds += m_watch.interval();
    int status = 0;
    const pid_t ended = ::waitpid(pid_t(m_pid), &status, WNOHANG);
    if (ended == 0) {
        // Still running: it is the browser, or started one. Keep reaping it when it ends.
        if (m_watchedMilliseconds >= kFailureWindowMilliseconds)
            m_watch.setInterval(kReapPollMilliseconds);
        return;
    }
    m_watch.stop();
    m_pid = 0;
    const bool failure = ended > 0 && WIFEXITED(status) && WEXITSTATUS(status) != 0
            && m_watchedMilliseconds <= kFailureWindowMilliseconds;
    if (failure)
        start(); // the next command, or the notice
    else
        deleteLater();
#endif
}

void BrowserLaunch::failed(const QString &program)
{
    QWidget *window = m_button->parentWidget();
    auto *notice = window->findChild<LinkNotice *>(QString(), Qt::FindDirectChildrenOnly);
    if (!notice)
        notice = new LinkNotice(window);
    notice->showNear(m_button,
                     QStringLiteral("无法启动浏览器：%1\n请在浏览器中打开：%2")
                             .arg(QFileInfo(program).fileName(), m_address));
    deleteLater();
}
