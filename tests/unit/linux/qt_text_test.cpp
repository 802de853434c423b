// The Qt module offscreen: a text holding markup reaches the user as it is in boxes, windows and dialogs.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <algorithm>

#include "qt/module.h"

using namespace sarvo;

namespace {

const std::string kMarked = "/p/<b>a</b> <i>b</i>.jpg";

// What a screen reader reads in the labels of the window shown next, which is then closed.
void ReadNextWindow(std::vector<std::string>& read) {
    QTimer::singleShot(0, [&read] {
        QWidget* shown = QApplication::activeModalWidget();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (shown == nullptr && w->isVisible()) shown = w;
        for (QLabel* label : shown->findChildren<QLabel*>())
            read.push_back(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name).toStdString());
        shown->close();
    });
}

}  // namespace

TEST(QtModule, MarkupInATextIsShownAsItIs) {
    void* module = dlopen(SARVO_QT_MODULE, RTLD_NOW);
    ASSERT_NE(module, nullptr) << dlerror();
    std::string why, answer;
    const auto* qt = reinterpret_cast<SarvoQtStart>(dlsym(module, SARVO_QT_ENTRY))("offscreen", &why);
    ASSERT_NE(qt, nullptr) << why;
    Label label(kMarked);
    FormSpec form;
    form.clientWidth = 3000, form.clientHeight = 1000;
    form.Add("lbl", ControlKind::Label, {0, 0, 3000, 300}, -1, label);
    std::vector<std::string> box, dialog, window;
    ReadNextWindow(box);
    qt->showMessage("B", kMarked, 16);
    ReadNextWindow(dialog);
    qt->inputBox("D", kMarked, "", answer, why);
    ReadNextWindow(window);
    qt->runWindow(form, why);
    for (const auto* read : {&box, &dialog, &window})
        EXPECT_NE(std::find(read->begin(), read->end(), kMarked), read->end()) << ::testing::PrintToString(*read);
}
