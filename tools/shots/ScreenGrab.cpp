// Saves a picture of one window of the X display (by its window id) or of the whole screen as a PNG file, for the
// screenshots of the running program: fenk-screen-grab OUTPUT.png [WINDOW-ID].

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int ArgumentCount, char** Arguments)
{
    QGuiApplication application(ArgumentCount, Arguments);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 2) {
        std::fputs("usage: fenk-screen-grab OUTPUT.png [WINDOW-ID]\n", stderr);
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fputs("fenk-screen-grab: no screen\n", stderr);
        return 1;
    }
    const WId window = arguments.size() > 2 ? WId(arguments.at(2).toULongLong(nullptr, 0)) : 0;
    const QPixmap picture = screen->grabWindow(window);
    if (picture.isNull() || !picture.save(arguments.at(1), "PNG")) {
        std::fprintf(stderr, "fenk-screen-grab: could not write %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    return 0;
}
