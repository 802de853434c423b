// Message boxes: a QMessageBox with the text as plain text, never taken for
// markup, whatever a path in it holds.
#include <QMessageBox>
#include <QString>

#include "parts.h"
#include "platform/ui.h"

namespace sarvo::platform::linux_qt {

int ShowMessageBox(const std::string& caption, const std::string& text, unsigned style) {
    QMessageBox box(OpenWindow());
    box.setWindowTitle(QString::fromStdString(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
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

}  // namespace sarvo::platform::linux_qt
