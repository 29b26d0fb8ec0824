#include "ui/dialogs/file_prompt_dialog.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace vxl {

namespace {

// "Wireshark capture (*.pcapng)" → "pcapng"; empty when the filter names no single extension.
QString suffixOfFilter(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)\\)$"));
    return pattern.match(filter).captured(1);
}

} // namespace

QString RunFilePrompt(QWidget *owner, const FilePrompt &prompt)
{
    QFileDialog dialog(owner, prompt.title, QString(), prompt.filter);
    dialog.setAcceptMode(prompt.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Open: only a file that exists, in a folder that exists.
    dialog.setFileMode(prompt.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(prompt.defaultSuffix);
    if (prompt.save && prompt.filter.contains(QStringLiteral(";;"))) {
        // A name typed without an extension gets that of the file type chosen.
        QObject::connect(&dialog,
                         &QFileDialog::filterSelected,
                         &dialog,
                         [&dialog](const QString &filter) {
                             if (const QString suffix = suffixOfFilter(filter); !suffix.isEmpty())
                                 dialog.setDefaultSuffix(suffix);
                         });
    }
    if (!prompt.initialName.contains(QLatin1Char('*')))
        dialog.selectFile(prompt.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace vxl
