// The Qt module offscreen: a text holding markup reaches the user as it is in boxes, windows and dialogs; a
// handler's failure never passes through Qt; Qt's own words are Japanese.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <stdexcept>

#include "qt/module.h"

using namespace sarvo;

namespace {

const std::string kMarked = "/p/<b>a</b> <i>b</i>.jpg";

// What a screen reader reads in the labels (or the buttons) of the window shown next, which is then closed.
template <typename Widget = QLabel>
void ReadNextWindow(std::vector<std::string>& read) {
    QTimer::singleShot(0, [&read] {
        QWidget* shown = QApplication::activeModalWidget();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (shown == nullptr && w->isVisible()) shown = w;
        for (Widget* widget : shown->findChildren<Widget*>())
            if (widget->isVisible())
                read.push_back(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).toStdString());
        shown->close();
    });
}

const platform::linux_qt::Entries* Module() {
    void* module = dlopen(SARVO_QT_MODULE, RTLD_NOW);
    std::string why;
    const auto* qt = module != nullptr ? reinterpret_cast<SarvoQtStart>(dlsym(module, SARVO_QT_ENTRY))("offscreen", &why)
                                       : nullptr;
    EXPECT_NE(qt, nullptr) << (module != nullptr ? why : dlerror());
    return qt;
}

// What Qt says, for instance when an exception passes through its event loop.
std::vector<std::string> qtWarnings;
void KeepWarning(QtMsgType, const QMessageLogContext&, const QString& text) { qtWarnings.push_back(text.toStdString()); }

}  // namespace

TEST(QtModule, MarkupInATextIsShownAsItIs) {
    const auto* qt = Module();
    ASSERT_NE(qt, nullptr);
    std::string why, answer;
    Label label(kMarked);
    FormSpec form;
    form.clientWidth = 3000;
    form.clientHeight = 1000;
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

TEST(QtModule, AHandlerThatFailsEndsTheWindowWithoutUnloadAndItsFailureComesBackFromRunWindowOnly) {
    const auto* qt = Module();
    ASSERT_NE(qt, nullptr);
    Button button;
    button.OnClick = [] { throw std::runtime_error("broken"); };
    bool unloaded = false;
    FormSpec form;
    form.clientWidth = 3000;
    form.clientHeight = 1000;
    form.onUnload = [&unloaded] { unloaded = true; };
    form.Add("cmd", ControlKind::Button, {0, 0, 3000, 300}, 0, button).caption = "x";
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            for (QPushButton* b : w->findChildren<QPushButton*>()) b->click();
    });
    qtWarnings.clear();
    const QtMessageHandler was = qInstallMessageHandler(KeepWarning);
    std::string why;
    EXPECT_THROW(qt->runWindow(form, why), std::runtime_error);
    qInstallMessageHandler(was);
    EXPECT_FALSE(unloaded);
    EXPECT_EQ(qtWarnings, std::vector<std::string>());
}

TEST(QtModule, QtsOwnWordsAreJapanese) {
    const auto* qt = Module();
    ASSERT_NE(qt, nullptr);
    std::vector<std::string> question, notice, browser;
    ReadNextWindow<QPushButton>(question);
    qt->showMessage("B", "t", 4);
    ReadNextWindow<QPushButton>(notice);
    qt->showMessage("B", "t", 0);
    ReadNextWindow<QPushButton>(browser);
    std::string chosen, why;
    qt->browseForFolder("F", "/", chosen, why);
    EXPECT_EQ(question, (std::vector<std::string>{"はい(Y)", "いいえ(N)"}));
    EXPECT_EQ(notice, std::vector<std::string>{"OK"});
    EXPECT_EQ(browser, (std::vector<std::string>{"選択(C)", "キャンセル"}));
}
