#include "authorpage.h"

#include "linknotice.h"

#include <QFileInfo>
#include <QProcess>
#include <QWidget>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

QString authorPageAddress()
{
    return QStringLiteral(QUILLORA_AUTHOR_URL);
}

QString browserProgram()
{
    const QString fromEnvironment = qEnvironmentVariable("BROWSER").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Program Files\\Internet Explorer\\IEXPLORE.exe");
#else
    return QStringLiteral("xdg-open");
#endif
}

bool startBrowser(const QString &program, const QString &address)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments({address});
    process.setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *arguments) {
        // Window style 2: shown minimized and activated.
        arguments->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        arguments->startupInfo->wShowWindow = SW_SHOWMINIMIZED;
    });
#endif
    return process.startDetached();
}

void openAuthorPage(QWidget *button)
{
    const QString program = browserProgram();
    if (startBrowser(program, authorPageAddress()))
        return;
    QWidget *window = button->parentWidget();
    auto *notice = window->findChild<LinkNotice *>(QString(), Qt::FindDirectChildrenOnly);
    if (!notice)
        notice = new LinkNotice(window);
    notice->showNear(button,
                     QStringLiteral("无法启动浏览器：%1").arg(QFileInfo(program).fileName()));
}
