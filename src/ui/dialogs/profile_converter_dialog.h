#pragma once

#include "core/operations/operator_interface.h"
#include "core/profiles/profile_converter.h"
#include "ui/dialogs/help_dialog.h"

#include <functional>
#include <memory>

class QLineEdit;
class QPushButton;

namespace vxl {

class TfPopup;

// "Profile Converter": legacy profiles (.lin) into XML profiles, one after the other while the
// dialog is open.
class TfProfileConverter : public HelpDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpContext = 260;
    static constexpr int kNoticeMs = 5000;
    static constexpr int kMissingFolderMs = 3000;
    static constexpr int kErrorSound = 16;
    static constexpr int kExclamationSound = 48;

    // How the dialog asks for files and shows its notices; tests put their own in.
    struct Services
    {
        std::function<QString(const FilePrompt &)> promptFile;
        std::function<void(const QString &text, int displayMs, int soundType)> notice;
    };

    explicit TfProfileConverter(QWidget *parent = nullptr, Services services = {});
    ~TfProfileConverter() override;

    [[nodiscard]] const clsVLINProfileConverter &converter() const { return m_converter; }

private:
    void btbOpenClick();
    void ediTargetExit();
    void btbSaveClick();
    void actConvertExecute();
    void notice(const QString &text, int displayMs, int soundType);

    Services m_services;
    std::unique_ptr<TfPopup> m_popup;
    clsVLINProfileConverter m_converter;
    // The file name the save dialog starts with; the target field falls back to it.
    QString m_saveName;
    QLineEdit *m_source = nullptr;
    QLineEdit *m_target = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_convert = nullptr;
};

} // namespace vxl
