// A program's window drawn from its FormSpec with Qt Widgets. The window
// holds no state of its own: each widget shows its model's value, forwards
// the user's change to the model (which runs the program's handler), and
// is set again whenever the model's Redraw hook says code changed it.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSessionManager>
#include <QSignalBlocker>
#include <QSocketNotifier>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <exception>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "parts.h"
#include "platform/ui.h"

namespace sarvo::platform::linux_qt {

namespace {

QPointer<QWidget> openWindow;

QString Text(const std::string& s) { return QString::fromStdString(s); }

// Windows line ends (CR LF) as Qt draws lines.
QString Lines(const std::string& s) {
    QString text = Text(s);
    text.replace("\r\n", "\n");
    return text;
}

// A picture as drawn at `size` pixels (resources/NAME-SIZE.png).
QString PictureFile(Picture picture, int size) {
    const char* name = "";
    switch (picture) {
        case Picture::SettingToolIcon: name = "setting_tool"; break;
        case Picture::Folder: name = "folder"; break;
        case Picture::TrashBox: name = "trash_box"; break;
        case Picture::UninstallerIcon: name = "uninstaller"; break;
        case Picture::None: break;
    }
    return QString(":/pictures/%1-%2.png").arg(name).arg(size);
}

// The window's icon in every size drawn, for the window manager to choose.
QIcon IconOf(Picture picture) {
    QIcon icon;
    for (int size : PictureSizes(picture)) icon.addFile(PictureFile(picture, size), QSize(size, size));
    return icon;
}

// The scale of a window: Qt's pixels, laid out at `dpi`, each `ratio` of
// the screen's own (Qt scales the window itself where the desktop asks for
// more than 96 DPI).
struct Scale {
    int dpi = 96;
    qreal ratio = 1;
};

// A control's picture, as on Windows: the largest size drawn that its
// place has room for, in the screen's own pixels - an image's whole place;
// a button's height but for its raised frame and focus rectangle (5 pixels
// at 96 DPI). It is shown pixel for pixel, never scaled, on a label: the
// image itself, or one in the middle of the button that lets clicks through.
void ShowPicture(const ControlSpec& spec, QWidget& widget, const Scale& scale) {
    const bool button = spec.kind == ControlKind::Button;
    const qreal room = button ? widget.height() * scale.ratio - 5 * scale.dpi / 96.0 * scale.ratio
                              : std::min(widget.width(), widget.height()) * scale.ratio;
    QPixmap picture(PictureFile(spec.picture, PictureSizeFor(spec.picture, static_cast<int>(std::floor(room)))));
    picture.setDevicePixelRatio(scale.ratio);
    auto* label = button ? new QLabel(&widget) : static_cast<QLabel*>(&widget);
    if (button) {
        label->setGeometry(widget.rect());
        label->setAlignment(Qt::AlignCenter);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    label->setPixmap(picture);
}

// The Japanese faces of Windows have no namesake here; their look is that
// of the IPA Gothic fonts (the proportional one for the "P" faces), which
// the suite installs. Qt takes the first family of the list that is
// installed, and the face itself comes first, in case it is.
QStringList FamiliesFor(const FontSpec& spec) {
    const QString face = Text(spec.face);
    QStringList families{face};
    const bool japanese = spec.japanese || face.contains(QString::fromUtf8("ゴシック"));
    if (!japanese) return families;
    const bool proportional = face.contains(QString::fromUtf8("Ｐ")) || face.contains(" P");
    if (proportional)
        families << "IPAPGothic" << "IPAexGothic" << "VL PGothic" << "TakaoPGothic" << "Noto Sans CJK JP";
    families << "IPAGothic" << "VL Gothic" << "TakaoGothic" << "Noto Sans CJK JP";
    // Failing all of those, whatever Japanese family fontconfig knows of.
    const QStringList installed = QFontDatabase::families(QFontDatabase::Japanese);
    if (!installed.isEmpty()) families << installed.front();
    return families;
}

QFont FontFor(const FontSpec& spec, const QFont& base) {
    QFont font = base;
    font.setFamilies(FamiliesFor(spec));
    font.setPointSize(spec.points);
    font.setBold(spec.bold);
    font.setUnderline(spec.underline);
    return font;
}

// A label or picture that reports clicks and double-clicks. A double click
// is one click and one double-click, as on Windows: the release that ends
// it is no second click.
class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick, onDoubleClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        const bool endsDoubleClick = std::exchange(doubleClicked_, false);
        if (event->button() == Qt::LeftButton && !endsDoubleClick && rect().contains(event->position().toPoint()) &&
            onClick)
            onClick();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QLabel::mouseDoubleClickEvent(event);
        if (event->button() != Qt::LeftButton) return;
        doubleClicked_ = true;
        if (onDoubleClick) onDoubleClick();
    }

private:
    bool doubleClicked_ = false;
};

class LineEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> onDoubleClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QLineEdit::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton && onDoubleClick) onDoubleClick();
    }
};

class FormWindow : public QWidget {
public:
    FormWindow(FormSpec& form, QEventLoop& loop) : form_(form), loop_(loop) {}

    // The models stay with the program after the window is gone.
    ~FormWindow() override {
        for (Control* model : hooked_) model->Redraw = nullptr;
    }

    void Hook(Control* model, std::function<void()> redraw) {
        model->Redraw = std::move(redraw);
        hooked_.push_back(model);
    }

    // Runs the program's code for a user's action. No exception may pass
    // through Qt's code that called this: a failure ends the window
    // (without the unload handler), and RunFormWindow throws it again once
    // the event loop has returned.
    void Act(const std::function<void()>& action) {
        if (!action || failure_) return;
        try {
            action();
        } catch (...) {
            failure_ = std::current_exception();
            closed_ = true;
            loop_.quit();
        }
    }

    std::exception_ptr failure() const { return failure_; }

    // The user's session ends: the window ends as after a close, and every
    // box or dialog still open over it is cancelled, so that the handler
    // that opened it returns and the program can end.
    void EndSession() {
        Unload();
        for (QWidget* shown : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(shown); dialog != nullptr && dialog->isVisible()) dialog->reject();
        loop_.quit();
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        Unload();
        event->accept();
        loop_.quit();
    }

private:
    void Unload() {
        if (closed_) return;
        closed_ = true;
        Act(form_.onUnload);
    }

    FormSpec& form_;
    QEventLoop& loop_;
    std::vector<Control*> hooked_;
    bool closed_ = false;
    std::exception_ptr failure_;
};

// The end of the session as a program learns it: on X11 the session
// manager first asks it to save its data (commitDataRequest); then, on any
// session, its processes are sent SIGTERM (SIGHUP when the terminal it runs
// in goes). A signal may come on any thread, at any moment: its handler only
// writes a byte into a pipe, which the window's event loop reads. While an
// object of this class lives, each of these calls `onEnd` on the window's
// thread; afterwards the signals are handled as before.
class SessionEnd {
public:
    explicit SessionEnd(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {
        if (pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) return;
        writeEnd_ = fds_[1];
        notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
            char bytes[16];
            while (read(fds_[0], bytes, sizeof bytes) > 0) {
            }
            onEnd_();
        });
        struct sigaction action {};
        action.sa_handler = Signalled;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previous_[i]);
        QObject::connect(qApp, &QGuiApplication::commitDataRequest, notifier_.get(),
                         [this](QSessionManager&) { onEnd_(); });
    }
    SessionEnd(const SessionEnd&) = delete;
    SessionEnd& operator=(const SessionEnd&) = delete;
    ~SessionEnd() {
        if (!notifier_) return;
        for (std::size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
        writeEnd_ = -1;
        notifier_.reset();
        close(fds_[0]);
        close(fds_[1]);
    }

private:
    static constexpr int kSignals[] = {SIGTERM, SIGHUP};

    static void Signalled(int) {
        const int saved = errno;
        const char byte = 1;
        // A pipe too full to take it already holds the news.
        if (writeEnd_ >= 0 && write(writeEnd_, &byte, 1) < 0) errno = saved;
        errno = saved;
    }

    static inline volatile sig_atomic_t writeEnd_ = -1;
    std::function<void()> onEnd_;
    int fds_[2] = {-1, -1};
    struct sigaction previous_[std::size(kSignals)] {};
    std::unique_ptr<QSocketNotifier> notifier_;
};

template <typename Model>
Model* ModelOf(const ControlSpec& spec) {
    return static_cast<Model*>(spec.model);
}

QWidget* MakeLabel(const ControlSpec& spec, FormWindow& window) {
    auto* label = new ClickLabel(&window);
    label->setTextFormat(Qt::PlainText);
    // As on Windows, a text too long for its label breaks between words and
    // shows from its start, rather than being cut at both ends.
    label->setWordWrap(true);
    label->setAlignment((spec.alignment == Alignment::Centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    QPalette palette = label->palette();
    if (spec.colour == TextColour::Highlight)
        palette.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::Highlight));
    else if (spec.colour == TextColour::Blue)
        palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(palette);
    if (auto* model = ModelOf<Label>(spec)) {
        label->setText(Text(model->Caption()));
        window.Hook(model, [label, model] { label->setText(Text(model->Caption())); });
        label->onClick = [&window, model] { window.Act(model->OnClick); };
        if (model->OnClick) label->setCursor(Qt::PointingHandCursor);
    } else {
        label->setText(Text(spec.caption));
    }
    return label;
}

// A one-line text box. Its model holds bytes, which may be no UTF-8 (a
// folder name on Linux); the box shows them with U+FFFD for each stray byte,
// and an edit keeps the bytes of what it left alone (EditedBytes), so that
// an edit that ends where it began changes nothing. An edit that cannot be
// told apart from what it replaced is refused with a message.
QWidget* MakeTextBox(const ControlSpec& spec, FormWindow& window, const QString& caption) {
    auto* edit = new LineEdit(&window);
    if (auto* model = ModelOf<TextBox>(spec)) {
        const auto shown = [model] { return QString::fromStdString(ShownText(model->Text())); };
        edit->setText(shown());
        const auto redraw = [edit, shown] {
            if (edit->text() != shown()) {
                const QSignalBlocker quiet(edit);
                edit->setText(shown());
            }
        };
        window.Hook(model, redraw);
        QObject::connect(edit, &QLineEdit::textEdited, edit, [&window, model, redraw, caption](const QString& text) {
            if (const std::optional<std::string> bytes = EditedBytes(model->Text(), text.toStdString())) {
                window.Act([&] { model->SetText(*bytes); });
                return;
            }
            redraw();
            ShowMessageBox(caption.toStdString(), "表示できない文字（\uFFFD）は入力できません。", kIconError);
        });
        edit->onDoubleClick = [&window, model] { window.Act(model->OnDblClick); };
    }
    return edit;
}

QWidget* MakeHelpText(const ControlSpec& spec, FormWindow& window) {
    auto* text = new QPlainTextEdit(&window);
    text->setReadOnly(true);
    text->setTabChangesFocus(true);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    if (auto* model = ModelOf<TextBox>(spec)) {
        text->setPlainText(Lines(model->Text()));
        window.Hook(model, [text, model] { text->setPlainText(Lines(model->Text())); });
    }
    return text;
}

QWidget* MakeCheckBox(const ControlSpec& spec, FormWindow& window) {
    auto* box = new QCheckBox(Text(spec.caption), &window);
    if (auto* model = ModelOf<CheckBox>(spec)) {
        box->setChecked(model->Value() != 0);
        window.Hook(model, [box, model] {
            const QSignalBlocker quiet(box);
            box->setChecked(model->Value() != 0);
        });
        // `clicked` comes from the user only; the model then raises the handler.
        QObject::connect(box, &QCheckBox::clicked, box, [&window, model](bool checked) {
            window.Act([&] { model->SetValue(checked ? 1 : 0); });
        });
    }
    return box;
}

QWidget* MakeDropDownList(const ControlSpec& spec, FormWindow& window) {
    auto* list = new QComboBox(&window);
    list->setEditable(false);
    if (auto* model = ModelOf<ComboBox>(spec)) {
        for (const std::string& item : model->Items()) list->addItem(Text(item));
        list->setCurrentIndex(model->ListIndex());
        window.Hook(model, [list, model] {
            const QSignalBlocker quiet(list);
            list->setCurrentIndex(model->ListIndex());
        });
        QObject::connect(list, &QComboBox::activated, list,
                         [&window, model](int index) { window.Act([&] { model->SetListIndex(index); }); });
    }
    return list;
}

QWidget* MakeButton(const ControlSpec& spec, FormWindow& window) {
    auto* button = new QPushButton(&window);
    if (spec.picture == Picture::None) button->setText(Text(spec.caption));
    if (auto* model = ModelOf<Button>(spec))
        QObject::connect(button, &QPushButton::clicked, button, [&window, model] { window.Act(model->OnClick); });
    return button;
}

QWidget* MakeImage(const ControlSpec& spec, FormWindow& window) {
    auto* image = new ClickLabel(&window);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (auto* model = ModelOf<Image>(spec))
        image->onDoubleClick = [&window, model] { window.Act(model->OnDblClick); };
    return image;
}

QWidget* MakeControl(const ControlSpec& spec, FormWindow& window) {
    switch (spec.kind) {
        case ControlKind::Label: return MakeLabel(spec, window);
        case ControlKind::TextBox: return MakeTextBox(spec, window, window.windowTitle());
        case ControlKind::HelpText: return MakeHelpText(spec, window);
        case ControlKind::CheckBox: return MakeCheckBox(spec, window);
        case ControlKind::DropDownList: return MakeDropDownList(spec, window);
        case ControlKind::Button: return MakeButton(spec, window);
        case ControlKind::Image: return MakeImage(spec, window);
    }
    return new QWidget(&window);
}

Qt::WindowFlags FlagsFor(const FormSpec& form) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowCloseButtonHint;
    if (form.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    if (form.maximizeBox) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

}  // namespace

QWidget* OpenWindow() { return openWindow.data(); }

bool RunFormWindow(FormSpec& form, std::string& why) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        why = "ディスプレイに画面がありません。";
        return false;
    }
    // Twips to Qt's pixels, which are of 96 to the inch at normal scaling.
    const Scale scale{static_cast<int>(std::lround(screen->logicalDotsPerInchY())), screen->devicePixelRatio()};
    const auto px = [&scale](int twips) { return TwipsToPixels(twips, scale.dpi); };

    QEventLoop loop;
    FormWindow window(form, loop);
    window.setWindowFlags(FlagsFor(form));
    window.setWindowTitle(Text(form.caption));
    // The form's font is that of the Japanese system the windows are laid
    // out for; its match here keeps each text within the place made for it.
    window.setFont(FontFor(form.font, window.font()));
    if (form.icon != Picture::None) window.setWindowIcon(IconOf(form.icon));
    window.setFixedSize(px(form.clientWidth), px(form.clientHeight));

    std::vector<std::pair<const ControlSpec*, QWidget*>> widgets;
    for (const ControlSpec& spec : form.controls) {
        QWidget* widget = MakeControl(spec, window);
        widget->setGeometry(px(spec.place.left), px(spec.place.top), px(spec.place.width), px(spec.place.height));
        if (spec.picture != Picture::None) ShowPicture(spec, *widget, scale);
        if (!spec.toolTip.empty()) widget->setToolTip(Text(spec.toolTip));
        if (spec.font) widget->setFont(FontFor(*spec.font, widget->font()));
        if (!TakesFocus(spec)) widget->setFocusPolicy(Qt::NoFocus);
        widgets.emplace_back(&spec, widget);
    }
    const auto widgetOf = [&widgets](const ControlSpec* spec) -> QWidget* {
        for (const auto& [s, w] : widgets)
            if (s == spec) return w;
        return nullptr;
    };
    const std::vector<const ControlSpec*> order = FocusOrder(form);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(widgetOf(order[i - 1]), widgetOf(order[i]));

    const SessionEnd sessionEnd([&window] { window.EndSession(); });
    openWindow = &window;
    window.show();
    // Wayland lets only the compositor decide which window is active.
    if (QGuiApplication::platformName() != "wayland") window.activateWindow();
    if (!order.empty()) widgetOf(order.front())->setFocus(Qt::ActiveWindowFocusReason);
    loop.exec();
    openWindow = nullptr;
    if (window.failure()) std::rethrow_exception(window.failure());
    return true;
}

}  // namespace sarvo::platform::linux_qt
