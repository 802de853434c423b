// The message box itself, a QMessageBox. Built as the module that ui_qt.cpp
// loads; see message_box.h.
#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <type_traits>

#include "message_box.h"
#include "platform/ui.h"

namespace {

// A program with a Qt window of its own already has its application object;
// the changer has none, and gets one here, on the X display the caller found.
void EnsureApplication() {
    if (QApplication::instance() != nullptr) return;
    static int argc = 3;
    static char name[] = "sarvo";
    static char option[] = "-platform";
    static char platform[] = "xcb";
    static char* argv[] = {name, option, platform, nullptr};
    // Never destroyed: the process ends soon after the box, and tearing Qt
    // down at exit gains nothing.
    new QApplication(argc, argv);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int sarvo_show_message_box(const char* caption,
                                                                            const char* text,
                                                                            unsigned style) {
    using namespace sarvo::platform;
    EnsureApplication();
    QMessageBox box;
    box.setWindowTitle(QString::fromUtf8(caption));
    box.setText(QString::fromUtf8(text));
    box.setIcon((style & kIconError) != 0 ? QMessageBox::Critical : QMessageBox::NoIcon);
    if ((style & kYesNo) == kYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? kAnswerYes : kAnswerNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return kAnswerOk;
}

// The signature must stay the one the loader expects.
static_assert(std::is_same_v<decltype(&sarvo_show_message_box), SarvoShowMessageBox>);
