// Core code must build and run without a display: no widget or GUI header may reach it.

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

class TestCorePurity : public QObject
{
    Q_OBJECT

private slots:
    void coreSourcesIncludeNoGuiHeaders();
};

void TestCorePurity::coreSourcesIncludeNoGuiHeaders()
{
    const QRegularExpression uiFile(QStringLiteral("_(view|dialog|widget|window|box|notice)\\.(h|cpp)$"));
    const QRegularExpression guiInclude(
        QStringLiteral("^\\s*#\\s*include\\s*[<\"](QtWidgets|QtGui)(/|>|\")"
                       "|^\\s*#\\s*include\\s*[<\"](QWidget|QApplication|QDialog|QMainWindow|"
                       "QMessageBox|QColor|QPixmap|QImage|QFont|QPainter|QGuiApplication|QScreen|QIcon)[>\"]"),
        QRegularExpression::MultilineOption);

    const QString root = QStringLiteral(VXL_SOURCE_DIR);
    int checked = 0;
    QStringList offenders;
    for (const QString &folder : {QStringLiteral("/src"), QStringLiteral("/sim")}) {
        QDirIterator it(root + folder, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (uiFile.match(path).hasMatch() || path.endsWith(QStringLiteral("/app/main.cpp")))
                continue;
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            ++checked;
            if (guiInclude.match(QString::fromUtf8(file.readAll())).hasMatch())
                offenders << path.mid(root.size() + 1);
        }
    }
    QVERIFY(checked > 0);
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(QStringLiteral(", "))));
}

QTEST_GUILESS_MAIN(TestCorePurity)
#include "tst_core_purity.moc"
