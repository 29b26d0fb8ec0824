// Core code must build and run without a display, and every folder may include only from itself
// and the folders below it, so that the tree tells which code may touch a widget.

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <map>

class TestPurity : public QObject
{
    Q_OBJECT

private slots:
    void coreAndEmulatorIncludeNoGuiHeaders();
    void includesGoOnlyDownwards();
};

namespace {

QString root()
{
    return QStringLiteral(VXL_SOURCE_DIR);
}

QStringList sourcesUnder(const QString &folder)
{
    QStringList paths;
    QDirIterator it(root() + folder,
                    {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                    QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    return paths;
}

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

void TestPurity::coreAndEmulatorIncludeNoGuiHeaders()
{
    const QRegularExpression guiInclude(
        QStringLiteral(
            "^\\s*#\\s*include\\s*[<\"](QtWidgets|QtGui)(/|>|\")"
            "|^\\s*#\\s*include\\s*[<\"](QWidget|QApplication|QDialog|QMainWindow|"
            "QMessageBox|QColor|QPixmap|QImage|QFont|QPainter|QGuiApplication|QScreen|QIcon)[>\"]"
            "|^\\s*#\\s*include\\s*\"ui/"),
        QRegularExpression::MultilineOption);

    int checked = 0;
    QStringList offenders;
    for (const QString &folder :
         {QStringLiteral("/src/core"), QStringLiteral("/sim"), QStringLiteral("/cli")}) {
        for (const QString &path : sourcesUnder(folder)) {
            ++checked;
            if (guiInclude.match(readAll(path)).hasMatch())
                offenders << path.mid(root().size() + 1);
        }
    }
    QVERIFY(checked > 0);
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QStringLiteral(", "))));
}

void TestPurity::includesGoOnlyDownwards()
{
    // Folders of one level may not include each other; a file may use its own folder.
    const std::map<QString, int> level = {
        {QStringLiteral("core/link"), 0},
        {QStringLiteral("core/module"), 1},
        {QStringLiteral("core/settings"), 1},
        {QStringLiteral("core/profiles"), 2},
        {QStringLiteral("core/trace"), 2},
        {QStringLiteral("core/editing"), 3},
        {QStringLiteral("core/operations"), 4},
        {QStringLiteral("ui/widgets"), 5},
        {QStringLiteral("ui/dialogs"), 6},
        {QStringLiteral("ui/views"), 7},
        {QStringLiteral("ui/main"), 8},
    };
    const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*\"([^\"]+)/[^/\"]+\""),
                                     QRegularExpression::MultilineOption);
    const QString src = root() + QStringLiteral("/src/");
    QStringList offenders;
    int checked = 0;
    for (const QString &path : sourcesUnder(QStringLiteral("/src"))) {
        const QString folder = QFileInfo(path).path().mid(src.size());
        const auto own = level.find(folder);
        QVERIFY2(own != level.end(),
                 qPrintable(QStringLiteral("folder not in the layering: ") + folder));
        auto it = include.globalMatch(readAll(path));
        while (it.hasNext()) {
            const QString target = it.next().captured(1);
            ++checked;
            if (target == folder)
                continue;
            const auto used = level.find(target);
            if (used == level.end() || used->second >= own->second)
                offenders << path.mid(src.size()) + QStringLiteral(" -> ") + target;
        }
    }
    QVERIFY(checked > 0);
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QStringLiteral(", "))));
    // Only the owner of the operations sees the hub inside the core.
    for (const QString &path : sourcesUnder(QStringLiteral("/src/core"))) {
        if (path.endsWith(QStringLiteral("/operations.cpp"))
            || path.endsWith(QStringLiteral("/operations.h")))
            continue;
        const bool usesHub = readAll(path).contains(
            QStringLiteral("#include \"core/operations/operations.h\""));
        if (usesHub)
            offenders << path.mid(src.size());
    }
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QStringLiteral(", "))));
}

QTEST_GUILESS_MAIN(TestPurity)
#include "tst_purity.moc"
