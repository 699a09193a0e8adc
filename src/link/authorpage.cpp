#include "authorpage.h"

#include "browserlaunch.h"

#include <QDir>
#include <QProcess>
#include <QWidget>

QString authorPageAddress()
{
    return QStringLiteral(QUILLORA_AUTHOR_URL);
}

QList<QStringList> browserCommands(const QString &browser, const QString &address)
{
    QList<QStringList> commands;
    for (const QString &entry : browser.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        QStringList words = QProcess::splitCommand(entry);
        if (words.isEmpty())
            continue;
        bool placed = false;
        for (qsizetype w = 1; w < words.size(); ++w) {
            const QString &word = words[w];
            QString expanded;
            for (qsizetype i = 0; i < word.size(); ++i) {
                if (word[i] == u'%' && i + 1 < word.size() && word[i + 1] == u's') {
                    expanded += address;
                    placed = true;
                    ++i;
                } else if (word[i] == u'%' && i + 1 < word.size() && word[i + 1] == u'%') {
                    expanded += u'%';
                    ++i;
                } else {
                    expanded += word[i];
                }
            }
            words[w] = expanded;
        }
        if (!placed)
            words << address;
        commands << words;
    }
    if (commands.isEmpty()) {
#ifdef Q_OS_WIN
        commands << QStringList {
                QStringLiteral("C:\\Program Files\\Internet Explorer\\IEXPLORE.exe"), address};
#else
        commands << QStringList {QStringLiteral("xdg-open"), address};
#endif
    }
    return commands;
}

void openAuthorPage(QWidget *button)
{
    const QString address = authorPageAddress();
    auto *launch = new BrowserLaunch(browserCommands(qEnvironmentVariable("BROWSER"), address),
                                     address, button);
    launch->start();
}
