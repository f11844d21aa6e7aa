#include "localization/localization_manager.h"
#include "timer/timer_manager.h"

#include <QApplication>
#include <QLabel>
#include <cstdio>

namespace {
bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
}  // namespace

int main(int argc, char** argv)
{
    if (!haveDisplay()) {
        std::fputs("lumora: no graphical display found (neither DISPLAY nor WAYLAND_DISPLAY is set)\n",
                   stdout);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumora"));

    TimerManager& timer = TimerManager::shared();
    QLabel window(timer.formattedDisplay());
    window.setFixedSize(360, 490);
    window.setAlignment(Qt::AlignCenter);
    window.show();
    return app.exec();
}
