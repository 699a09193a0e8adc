#pragma once

#include <QString>

class QWidget;

// The address of the author's page, fixed when the program is built: an http address that
// ends in "/".
QString authorPageAddress();

// The browser to start: $BROWSER when it is set and not blank; otherwise xdg-open (on Windows
// the Internet Explorer executable at its default install path).
QString browserProgram();

// Starts `program` with the one argument `address` as a separate, detached process: no shell in
// between, no waiting, no check of what the browser does later. On Windows the browser's
// window is asked to come up minimized and activated. False when the program could not be
// started at all.
bool startBrowser(const QString &program, const QString &address);

// What a click on the author page button does: starts the browser on the author's page and
// returns at once. When no browser can be started, a short notice appears near `button` for a
// few seconds; nothing else happens.
void openAuthorPage(QWidget *button);
