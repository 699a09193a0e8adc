#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// The address of the author's page, fixed when the program is built: an http address that
// ends in "/".
QString authorPageAddress();

// The browser commands to try in order, each as its program followed by its arguments. `browser`
// is $BROWSER as people set it: a list of commands separated by ':' (';' on Windows), each split
// into words as a shell would split them but without any shell; "%s" in a word becomes the
// address and "%%" a single "%", and a command without "%s" gets the address as its last
// argument. When `browser` names no command: xdg-open (on Windows the Internet Explorer
// executable at its default install path) with the address.
QList<QStringList> browserCommands(const QString &browser, const QString &address);

// What a click on the author page button does: starts the first browser command that can be
// started, detached, and returns at once. When none can be started, or the one started soon ends
// reporting failure (xdg-open that finds no browser), a short notice appears near `button` for
// a few seconds naming the command that failed last and the address; nothing else happens.
void openAuthorPage(QWidget *button);
