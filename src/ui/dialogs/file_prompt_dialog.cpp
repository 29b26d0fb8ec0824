#include "ui/dialogs/file_prompt_dialog.h"

#include <QFileDialog>

namespace vxl {

QString RunFilePrompt(QWidget *owner, const FilePrompt &prompt)
{
    QFileDialog dialog(owner, prompt.title, QString(), prompt.filter);
    dialog.setAcceptMode(prompt.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Open: only a file that exists, in a folder that exists.
    dialog.setFileMode(prompt.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(prompt.defaultSuffix);
    if (!prompt.initialName.contains(QLatin1Char('*')))
        dialog.selectFile(prompt.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace vxl
