#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The program's icon: two yellow-green leafy sprigs crossed into an X on black, drawn at any
// square size. The image needs no display, so build tools can write it to files.
QImage quilloraIconImage(int size = 32);

QPixmap quilloraIconPixmap(int size = 32);

// The icon at the sizes desktops ask for, 32 x 32 among them.
QIcon quilloraIcon();
