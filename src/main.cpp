#include "displaycheck.h"
#include "fontwarmup.h"
#include "form1.h"
#include "qttranslations.h"
#include "screenfit.h"
#include "sessionbus.h"

#include <QApplication>
#include <QScopeGuard>

#include <cstdio>

namespace {

void sayError(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    // Without a display that answers, creating the window would abort.
    if (const QString problem = displayProblem(argc, argv); !problem.isEmpty()) {
        sayError(problem);
        return 1;
    }
    std::jthread fontWarmUp = warmUpFontConfiguration();
    connectSessionBus();
    QApplication app(argc, argv);
    const auto warmedUp = qScopeGuard([&fontWarmUp] {
        if (fontWarmUp.joinable())
            fontWarmUp.join();
    });
    releaseDisplayCheck();
    installQtTranslations();
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillora.Quillora"));

    // The book takes no command line of its own; Qt has taken its options out by now.
    if (const QStringList arguments = QApplication::arguments().mid(1); !arguments.isEmpty()) {
        sayError(QStringLiteral("用法：quillora（不接受参数：%1）").arg(arguments.join(u' ')));
        return 2;
    }

    Form1 form;
    ScreenFit fit(&form);
    form.setZoom(fit.zoom());
    QObject::connect(&fit, &ScreenFit::zoomChanged, &form, &Form1::setZoom);
    form.show();
    return app.exec();
}
