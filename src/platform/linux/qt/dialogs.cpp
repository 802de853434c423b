// The folder browser and the input box, modal over the program's window.
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>

#include "parts.h"

namespace sarvo::platform::linux_qt {

// Paths cross into Qt and back as file names (QFile::decodeName and
// encodeName), not as texts. The browser confirms only a folder that exists
// under the name it shows, so a folder whose name holds bytes that are no
// UTF-8 (shown with U+FFFD) is refused by Qt's own message, never returned
// under another name.
DialogResult BrowseFolderDialog(const std::string& title, const std::string& startFolder, std::string& chosen,
                                std::string&) {
    QFileDialog dialog(OpenWindow(), QString::fromStdString(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Names only, as Windows' folder browser shows them: Qt's translations
    // leave the detail view's type column in English.
    dialog.setViewMode(QFileDialog::List);
    const QString start = QFile::decodeName(QByteArray::fromStdString(startFolder));
    if (!start.isEmpty() && QFileInfo(start).isDir()) dialog.setDirectory(start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return DialogResult::Cancel;
    chosen = QFile::encodeName(dialog.selectedFiles().front()).toStdString();
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
