// The user guide in docs/: every link and picture of every page resolves to a file of the guide,
// and every anchor it names exists in that file.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QUrl>

namespace {

const QString kGuide = QStringLiteral(VXL_SOURCE_DIR "/docs");

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QSet<QString> idsOf(const QString &html)
{
    static const QRegularExpression id(QStringLiteral("\\bid=\"([^\"]+)\""));
    QSet<QString> ids;
    for (const auto &match : id.globalMatch(html))
        ids.insert(match.captured(1));
    return ids;
}

// What is wrong with one link of a page, or an empty text.
QString checkLink(const QString &pagePath, const QString &pageHtml, const QString &link)
{
    const QUrl url(link);
    if (!url.scheme().isEmpty())
        return url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("mailto")
                   ? QString()
                   : QStringLiteral("unexpected scheme");
    QString target = pagePath;
    QString html = pageHtml;
    if (!url.path().isEmpty()) {
        target = QFileInfo(pagePath).dir().filePath(url.path());
        if (!QFileInfo(target).isFile())
            return QStringLiteral("no file %1").arg(target);
        if (!QDir::cleanPath(QFileInfo(target).absoluteFilePath()).startsWith(kGuide))
            return QStringLiteral("leaves the guide");
        html = readAll(target);
    }
    if (url.hasFragment() && !idsOf(html).contains(url.fragment()))
        return QStringLiteral("no anchor #%1 in %2").arg(url.fragment(), target);
    return {};
}

} // namespace

class tst_GuideLinks : public QObject
{
    Q_OBJECT

private slots:
    void linksResolve_data();
    void linksResolve();
    void checkerFindsBrokenLinks();
};

void tst_GuideLinks::linksResolve_data()
{
    QTest::addColumn<QString>("page");
    const QStringList pages = QDir(kGuide).entryList({QStringLiteral("*.html")}, QDir::Files);
    QVERIFY(pages.contains(QStringLiteral("index.html")));
    QVERIFY(pages.contains(QStringLiteral("keywords.html")));
    for (const QString &page : pages)
        QTest::newRow(qPrintable(page)) << QDir(kGuide).filePath(page);
}

void tst_GuideLinks::linksResolve()
{
    QFETCH(QString, page);
    const QString html = readAll(page);
    QVERIFY(!html.isEmpty());
    static const QRegularExpression link(QStringLiteral("\\b(?:href|src)=\"([^\"]*)\""));
    int links = 0;
    QStringList broken;
    for (const auto &match : link.globalMatch(html)) {
        ++links;
        const QString problem = checkLink(page, html, match.captured(1));
        if (!problem.isEmpty())
            broken << match.captured(1) + QStringLiteral(": ") + problem;
    }
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join(QLatin1Char('\n'))));
    QVERIFY(links > 0);
    // Every page leads back to the contents.
    QVERIFY(html.contains(QStringLiteral("href=\"index.html\"")));
}

void tst_GuideLinks::checkerFindsBrokenLinks()
{
    const QString index = QDir(kGuide).filePath(QStringLiteral("index.html"));
    const QString html = readAll(index);
    QVERIFY(checkLink(index, html, QStringLiteral("views.html#module-data")).isEmpty());
    QVERIFY(!checkLink(index, html, QStringLiteral("views.html#no-such-anchor")).isEmpty());
    QVERIFY(!checkLink(index, html, QStringLiteral("missing.html")).isEmpty());
    QVERIFY(!checkLink(index, html, QStringLiteral("#nowhere")).isEmpty());
    QVERIFY(!checkLink(index, html, QStringLiteral("../README.md")).isEmpty());
}

QTEST_GUILESS_MAIN(tst_GuideLinks)
#include "tst_guide_links.moc"
