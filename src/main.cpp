#include "herbcatalogue.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label(HerbCatalogue::displayNames().join(QLatin1Char('\n')));
    label.show();
    return app.exec();
}
