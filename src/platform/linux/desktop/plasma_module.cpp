// The Plasma shell's scripting call, through Qt's D-Bus. At log-on the shell
// may not own its bus name yet, so the call waits for it a while.
//
// Qt's D-Bus wants an application object, and a process has at most one.
// The Qt module's boxes need theirs to be a QApplication, and Qt ends the
// process when a widget meets a bare QCoreApplication; so a call that finds
// no application object makes a QCoreApplication for itself and removes it
// before it returns. The bus connection outlives it, and a QApplication made
// later by the Qt module goes on using it.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QThread>

#include <cstring>

#include "desktop/plasma_module.h"

namespace {

constexpr const char* kShell = "org.kde.plasmashell";
// At log-on the shell owns its name a few seconds after the session starts.
constexpr int kShellWaitMs = 10000;
// The shell runs a script at once.
constexpr int kCallAnswerMs = 5000;

int Answer(const QString& text, char* out, unsigned long size, int result) {
    const QByteArray bytes = text.toUtf8();
    if (size > 0) {
        const unsigned long n = std::min<unsigned long>(static_cast<unsigned long>(bytes.size()), size - 1);
        std::memcpy(out, bytes.constData(), n);
        out[n] = '\0';
    }
    return result;
}

// The application object for one call: the one there is (the Qt module's,
// when a window is open), or one of our own for the length of the call.
class CallApplication {
public:
    CallApplication() {
        static int argc = 1;
        static char name[] = "SarvoChanger";
        static char* argv[] = {name, nullptr};
        if (QCoreApplication::instance() == nullptr) own_ = new QCoreApplication(argc, argv);
    }
    CallApplication(const CallApplication&) = delete;
    CallApplication& operator=(const CallApplication&) = delete;
    ~CallApplication() { delete own_; }

private:
    QCoreApplication* own_ = nullptr;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int sarvo_plasma_evaluate(const char* script, char* text,
                                                                            unsigned long size) {
    const CallApplication application;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Answer("セッション バスに接続できませんでした：" + bus.lastError().message(), text, size, 0);
    QDeadlineTimer deadline(kShellWaitMs);
    bus.interface()->setTimeout(kCallAnswerMs);
    while (!bus.interface()->isServiceRegistered(QString::fromLatin1(kShell)).value()) {
        if (deadline.hasExpired())
            return Answer(QStringLiteral("org.kde.plasmashell が動いていません。"), text, size, 0);
        QThread::msleep(200);
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kShell), QStringLiteral("/PlasmaShell"),
                                                       QStringLiteral("org.kde.PlasmaShell"),
                                                       QStringLiteral("evaluateScript"));
    call << QString::fromUtf8(script);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallAnswerMs);
    if (reply.type() == QDBusMessage::ErrorMessage) return Answer(reply.errorMessage(), text, size, 0);
    return Answer(reply.arguments().value(0).toString(), text, size, 1);
}
