// The folder browser and the input box, modal over the program's window.
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>

#include "parts.h"

namespace sarvo::platform::linux_qt {

DialogResult BrowseFolderDialog(const std::string& title, const std::string& startFolder, std::string& chosen,
                                std::string&) {
    QFileDialog dialog(OpenWindow(), QString::fromStdString(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString start = QString::fromStdString(startFolder);
    if (!start.isEmpty() && QFileInfo(start).isDir()) dialog.setDirectory(start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return DialogResult::Cancel;
    chosen = dialog.selectedFiles().front().toStdString();
    return DialogResult::Ok;
}

DialogResult InputDialog(const std::string& caption, const std::string& prompt, const std::string& initial,
                         std::string& answer, std::string&) {
    QInputDialog dialog(OpenWindow());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QString::fromStdString(caption));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString::fromStdString(initial));
    for (QLabel* label : dialog.findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
    if (dialog.exec() != QDialog::Accepted) return DialogResult::Cancel;
    answer = dialog.textValue().toStdString();
    return DialogResult::Ok;
}

}  // namespace sarvo::platform::linux_qt
