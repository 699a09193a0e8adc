#include "displaycheck.h"
#include "fontwarmup.h"
#include "form1.h"
#include "qttranslations.h"
#include "screenscale.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QTimer>

#include <cstdio>

namespace {

void sayError(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

// Chooses 薄荷 as a click would, lets the window paint, and saves the window as PNG.
void saveScreenshotLater(Form1 &form, const QString &file)
{
    QTimer::singleShot(300, &form, [&form, file] {
        if (auto *list = form.findChild<QListWidget *>(QStringLiteral("List1")))
            list->setCurrentRow(10);
        QTimer::singleShot(500, &form, [&form, file] {
            if (form.grab().save(file, "PNG")) {
                QCoreApplication::exit(0);
                return;
            }
            sayError(QStringLiteral("截图无法保存：%1").arg(file));
            QCoreApplication::exit(1);
        });
    });
}

} // namespace

int main(int argc, char *argv[])
{
    // Without a display that answers, creating the window would abort.
    if (const QString problem = displayProblem(argc, argv); !problem.isEmpty()) {
        sayError(problem);
        return 1;
    }
    chooseCrispScaling(); // changes the environment: before the warm-up thread reads it
    const std::jthread fontWarmUp = warmUpFontConfiguration();
    QApplication app(argc, argv);
    releaseDisplayCheck();
    installQtTranslations();
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillora.Quillora"));

    const QStringList arguments = QApplication::arguments().mid(1);
    QString screenshot;
    if (arguments.size() == 2 && arguments.first() == QLatin1String("--screenshot")) {
        screenshot = QFileInfo(arguments.last()).absoluteFilePath();
    } else if (!arguments.isEmpty()) {
        sayError(QStringLiteral("用法：quillora [--screenshot 文件.png]"));
        return 2;
    }

    Form1 form;
    form.show();
    if (!screenshot.isEmpty())
        saveScreenshotLater(form, screenshot);
    return app.exec();
}
