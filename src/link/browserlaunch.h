#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class QWidget;

// One click's attempt to open the author's page: starts the commands in order until one starts,
// detached from the window, and watches it without ever waiting for it. A command that cannot be
// started, or that ends with a failure status within a few seconds, passes the turn to the next
// one; when none is left, a notice near the button names the command that failed last and the
// address, for the reader to open by hand. The launch deletes itself once the browser it started
// has been seen to succeed or to run on.
class BrowserLaunch : public QObject
{
    Q_OBJECT

public:
    BrowserLaunch(QList<QStringList> commands, QString address, QWidget *button);

    void start();

private:
    void watch();
    void failed(const QString &program);

    QWidget *m_button;
    QList<QStringList> m_commands;
    QString m_address;
    qint64 m_pid = 0; // the started command's process, 0 when none is watched
    QString m_program; // its program, for the notice
    int m_watchedMilliseconds = 0;
    QTimer m_watch;
};
