#include "ui/main/help_access.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QWidget>

#include <array>

namespace vxl {

namespace {

struct Topic
{
    int context;
    const char *topic;
};

constexpr std::array kTopics{
    Topic{110, "views.html#module-data"},
    Topic{120, "views.html#messages"},
    Topic{130, "views.html#profiles"},
    Topic{140, "views.html#advanced"},
    Topic{210, "dialogs.html#preferences"},
    Topic{220, "dialogs.html#scheduler-entries"},
    Topic{230, "dialogs.html#frame-configuration"},
    Topic{240, "dialogs.html#slave-id"},
    Topic{250, "dialogs.html#can-filter"},
    Topic{260, "dialogs.html#profile-converter"},
};

const QString kContentsPage = QStringLiteral("index.html");
const QString kIndexPage = QStringLiteral("keywords.html");

bool holdsGuide(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo::exists(folder + QLatin1Char('/') + kContentsPage);
}

} // namespace

QString HelpTopic(int context)
{
    for (const Topic &topic : kTopics) {
        if (topic.context == context)
            return QString::fromLatin1(topic.topic);
    }
    return {};
}

QList<int> HelpContexts()
{
    QList<int> contexts;
    for (const Topic &topic : kTopics)
        contexts << topic.context;
    return contexts;
}

HelpAccess::HelpAccess(std::function<bool()> germanHelp, QObject *parent)
    : QObject(parent)
    , m_germanHelp(std::move(germanHelp))
    , m_opener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{}

QString HelpAccess::guideFolder() const
{
    if (!m_guideFolder.isEmpty())
        return holdsGuide(m_guideFolder) ? m_guideFolder : QString();
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath()
                                              + QStringLiteral("/../share/doc/vexalin-ct"));
    if (holdsGuide(installed))
        return installed;
#ifdef VXL_GUIDE_SOURCE_DIR
    if (holdsGuide(QStringLiteral(VXL_GUIDE_SOURCE_DIR)))
        return QStringLiteral(VXL_GUIDE_SOURCE_DIR);
#endif
    return {};
}

QString HelpAccess::helpFile() const
{
    const QString folder = m_programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                     : m_programFolder;
    const bool german = m_germanHelp && m_germanHelp();
    return folder + QLatin1Char('/')
           + (german ? QStringLiteral("VXLTool_deu.chm") : QStringLiteral("VXLTool_enu.chm"));
}

bool HelpAccess::open(const QString &page, const QString &anchor)
{
    const QString chm = helpFile();
    if (QFileInfo::exists(chm) && m_opener(QUrl::fromLocalFile(chm)))
        return true;
    const QString folder = guideFolder();
    if (folder.isEmpty())
        return false;
    QUrl url = QUrl::fromLocalFile(folder + QLatin1Char('/') + page);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return m_opener(url);
}

bool HelpAccess::showContents()
{
    return open(kContentsPage);
}

bool HelpAccess::showIndex()
{
    return open(kIndexPage);
}

bool HelpAccess::showSearch()
{
    return open(kIndexPage, QStringLiteral("search"));
}

bool HelpAccess::showContext(int context)
{
    const QString topic = HelpTopic(context);
    if (topic.isEmpty())
        return showContents();
    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    return open(topic.left(hash), topic.mid(hash + 1));
}

void HelpAccess::install()
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool HelpAccess::contextHelpFor(QObject *watched)
{
    for (QObject *object = watched; object; object = object->parent()) {
        const QVariant context = object->property(kContextProperty);
        if (context.isValid()) {
            showContext(context.toInt());
            return true;
        }
        if (object->isWidgetType() && static_cast<QWidget *>(object)->isWindow())
            break;
    }
    return false;
}

bool HelpAccess::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && qobject_cast<QDialog *>(watched)
        && watched->metaObject()->indexOfSignal("helpRequested(int)") >= 0) {
        connect(watched,
                SIGNAL(helpRequested(int)),
                this,
                SLOT(showContext(int)),
                Qt::UniqueConnection);
    } else if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::ShiftModifier
            && contextHelpFor(watched))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vxl
