// The module's entry point: starts Qt once, on the platform the caller
// found reachable, and hands out the table of what the module shows.
#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QScreen>
#include <QSettings>
#include <QStringList>
#include <QTranslator>

#include <cmath>
#include <type_traits>

#include "parts.h"
#include "qt/module.h"

namespace sarvo::platform::linux_qt {

namespace {

// The file of each platform plugin the suite may ask for.
QString PluginFile(const QString& platform) {
    if (platform == "wayland") return "libqwayland-generic.so";
    if (platform == "xcb") return "libqxcb.so";
    return "libq" + platform + ".so";
}

// The platforms of `list` whose plugin is installed. Asking Qt for one that
// is not would end the process instead of failing.
QStringList InstalledPlatforms(const QString& list, std::string& why) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/";
    QStringList installed;
    for (const QString& platform : list.split(';', Qt::SkipEmptyParts)) {
        if (QFileInfo::exists(folder + PluginFile(platform)))
            installed << platform;
        else
            why += std::string(why.empty() ? "" : "\n") + "Qt のプラットフォーム プラグイン「" + platform.toStdString() +
                   "」がインストールされていません：" + (folder + PluginFile(platform)).toStdString();
    }
    return installed;
}

// Qt's own words (the buttons of the boxes, the folder browser) in
// Japanese, as every text of the suite is, whatever language the user's
// session speaks. Without Qt's translations installed they stay English.
void SpeakJapanese(QApplication& application) {
    static QTranslator translator;
    if (translator.load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(&translator);
}

bool StartApplication(const char* platforms, std::string& why) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) return true;
    if (QCoreApplication::instance() != nullptr) {
        // Widgets need a QApplication; Qt would end the process at the first.
        why = "このプロセスでは、ウィジェットなしの Qt がすでに動いています。";
        return false;
    }
    // Kept for the life of the process, as QApplication requires; never
    // destroyed: the process ends soon after its last box or window.
    static QByteArray name = "sarvo";
    static QByteArray option = "-platform";
    static QByteArray choice;
    static int argc = 1;
    static char* argv[] = {name.data(), nullptr, nullptr, nullptr};
    if (platforms != nullptr) {
        const QStringList installed = InstalledPlatforms(QString::fromUtf8(platforms), why);
        if (installed.isEmpty()) return false;
        why.clear();
        choice = installed.join(';').toUtf8();
        argv[1] = option.data();
        argv[2] = choice.data();
        argc = 3;
    }
    auto* application = new QApplication(argc, argv);
    // Windows and boxes come and go within one run: the loops that show
    // them end them, not the last window closing.
    application->setQuitOnLastWindowClosed(false);
    SpeakJapanese(*application);
    // Qt keeps nothing of its own for the suite: its folder browser would
    // write its history into QtProject.conf in the user's settings folder,
    // to stay there after the suite is gone. Its settings go to a path
    // where no file can be made.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, "/dev/null");
    return true;
}

}  // namespace

// The primary monitor in its own pixels, whatever scaling the desktop
// applies. On Wayland that is the current mode the compositor reports for
// the output Qt takes as primary (by its name, else its place, else the
// first): Qt's logical size times its whole-number scale is wrong at a
// fractional scale. Elsewhere Qt's size times its scale is the mode.
bool QtPrimaryScreenSize(int& width, int& height) {
    width = height = 0;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return false;
    if (QGuiApplication::platformName() == "wayland") {
        const std::vector<WaylandMode> modes = WaylandModes();
        const WaylandMode* found = nullptr;
        for (const WaylandMode& m : modes)
            if (found == nullptr && !m.name.empty() && QString::fromStdString(m.name) == screen->name()) found = &m;
        for (const WaylandMode& m : modes)
            if (found == nullptr && QPoint(m.x, m.y) == screen->geometry().topLeft()) found = &m;
        if (found == nullptr && !modes.empty()) found = &modes.front();
        if (found != nullptr) {
            width = found->width;
            height = found->height;
            return true;
        }
    }
    const double ratio = screen->devicePixelRatio();
    width = static_cast<int>(std::lround(screen->size().width() * ratio));
    height = static_cast<int>(std::lround(screen->size().height() * ratio));
    return width > 0 && height > 0;
}

std::vector<DesktopMonitor> QtScreens() {
    std::vector<DesktopMonitor> monitors;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        if (g.width() > 0 && g.height() > 0)
            monitors.push_back({{g.x(), g.y(), g.width(), g.height()}, screen == primary, screen->name().toStdString()});
    }
    return monitors;
}

}  // namespace sarvo::platform::linux_qt

extern "C" __attribute__((visibility("default"))) const sarvo::platform::linux_qt::Entries* sarvo_qt_start(
    const char* platforms, std::string* why) {
    using namespace sarvo::platform::linux_qt;
    static const Entries entries{kModuleVersion, ShowMessageBox, RunFormWindow, BrowseFolderDialog, InputDialog,
                                 QtPrimaryScreenSize, QtScreens};
    std::string reason;
    if (!StartApplication(platforms, reason)) {
        if (why != nullptr) *why = reason;
        return nullptr;
    }
    return &entries;
}

// The signature must stay the one the loader expects.
static_assert(std::is_same_v<decltype(&sarvo_qt_start), SarvoQtStart>);
