#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

namespace vxl {

// The guide page and anchor ("views.html#module-data") of a help context number, or an empty
// text for a number that has no section of its own.
[[nodiscard]] QString HelpTopic(int context);

// Every help context number of the views and dialogs.
[[nodiscard]] QList<int> HelpContexts();

// The help of the program. A help file "VXLTool_enu.chm" (or "VXLTool_deu.chm" with German help)
// in the executable's folder is handed to the desktop first; when there is none, or the desktop
// cannot open it, our HTML user guide opens in the browser, at the section of a context number.
//
// Installed on the application, it also answers F1 in every dialog that announces a help
// context (a signal helpRequested(int)) and Shift+F1 inside any widget that carries the
// property kContextProperty (the four views).
class HelpAccess : public QObject
{
    Q_OBJECT
public:
    using Opener = std::function<bool(const QUrl &)>;
    static constexpr const char *kContextProperty = "vxlHelpContext";

    // germanHelp tells at each call whether the German help file is wanted.
    explicit HelpAccess(std::function<bool()> germanHelp, QObject *parent = nullptr);

    // How URLs reach the desktop; QDesktopServices::openUrl unless a test replaces it.
    void setOpener(Opener opener) { m_opener = std::move(opener); }
    // The folder searched for the help files; the executable's folder unless set.
    void setProgramFolder(const QString &folder) { m_programFolder = folder; }
    // The guide's folder; found next to the program unless set.
    void setGuideFolder(const QString &folder) { m_guideFolder = folder; }

    // The guide's folder: share/doc/vexalin-ct beside the program's bin/ folder when installed,
    // the source tree's docs/ otherwise; empty when neither holds the guide.
    [[nodiscard]] QString guideFolder() const;
    [[nodiscard]] QString helpFile() const;

    // Watches the application for F1 in dialogs and Shift+F1 in the views.
    void install();

    // Each returns whether something was handed to the desktop.
    bool showContents();
    bool showIndex();
    bool showSearch();

public slots:
    bool showContext(int context);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool open(const QString &page, const QString &anchor = {});
    bool contextHelpFor(QObject *watched);

    std::function<bool()> m_germanHelp;
    Opener m_opener;
    QString m_programFolder;
    QString m_guideFolder;
};

} // namespace vxl
