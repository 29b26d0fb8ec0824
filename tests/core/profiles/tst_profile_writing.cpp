// Writing values into a profile that already holds some: the bytes saved must not depend on
// what the document held before, and must stay the bytes the writer has always saved. The
// inputs are every profile seed of the document's fuzz target, its regressions and the profile
// fixtures, plus a document that was never opened, and the legacy profiles of the converter's
// seeds, converted; data/profile_writing_digests.txt keeps, for each input and each series of
// writes, the digest of the bytes the writer saved when every write still rebuilt the whole
// frame table and scheduler list.

#include "core/profiles/profile_converter.h"
#include "core/profiles/profile_document.h"
#include "profile_values.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <random>

using namespace vxl;
using vxl::test::fullProfileValues;
using vxl::test::newProfileValues;
using vxl::test::ProfileValues;

namespace {

// Any values the record can hold, lengths beyond eight bytes included: the same series for a
// seed on every machine (std::mt19937's output is fixed by the standard).
ProfileValues randomProfile(std::uint32_t seed)
{
    std::mt19937 rng(seed);
    const auto below = [&rng](std::uint32_t bound) { return std::uint32_t(rng() % bound); };
    ProfileValues values = newProfileValues();
    values.baudrate = rng() >> 1;
    CAN_Group &can = values.can;
    can.Active = std::uint16_t(rng());
    can.Baudrate = std::uint16_t(rng());
    can.ForwardMask = std::uint16_t(rng());
    can.FilterMask = rng();
    can.FilterCode = rng();
    can.IdOffset = rng();
    can.ErrorId = rng();
    LIN_Group &lin = values.lin;
    lin.Active = std::uint16_t(rng());
    lin.Baudrate = std::uint16_t(rng());
    lin.ForwardMask = std::uint8_t(rng());
    lin.MasterStatus = std::uint16_t(rng());
    lin.Retries = std::uint16_t(rng());
    lin.SlaveActivationId = rng();
    lin.SchedulerCount = std::uint16_t(below(kMaxSchedulerEntries + 1));
    for (auto &entry : lin.SchedulerEntries)
        entry = {std::uint16_t(rng()), std::uint8_t(rng())};
    lin.SlaveIdData.ID = std::uint8_t(rng());
    lin.SlaveIdData.Length = std::uint8_t(below(13));
    for (auto &byte : lin.SlaveIdData.Data)
        byte = std::uint8_t(rng());
    for (int k = 0; k < kFrameCount; ++k) {
        auto &frame = lin.Frames[std::size_t(k)];
        frame.Active = std::uint8_t(below(3) == 0 ? rng() : 0);
        for (auto &byte : frame.Data)
            byte = std::uint8_t(rng());
        SetNibble(lin.FrameLengths, k, int(below(16)));
        SetBit(lin.FrameFormats, k, below(2) == 1);
    }
    return values;
}

// The values the input itself holds, over the defaults where it holds none.
ProfileValues readProfile(const clsVLINXMLProfile &doc)
{
    ProfileValues values;
    clsVLINXMLProfile::FillDefaults(&values.baudrate, &values.can, &values.lin);
    doc.ReadAll(&values.baudrate, &values.can, &values.lin);
    return values;
}

// The files of the folders by the name the digests use: the path below the source folder.
std::map<QString, QString> filesIn(std::initializer_list<const char *> folders)
{
    std::map<QString, QString> files;
    const QDir source(QStringLiteral(VXL_SOURCE_DIR));
    for (const char *folder : folders) {
        const QDir dir(source.filePath(QString::fromLatin1(folder)));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
            files[source.relativeFilePath(dir.filePath(name))] = dir.filePath(name);
    }
    return files;
}

const QString kNeverOpened = QStringLiteral("(never opened)");

// A series of writes, by names of the values above: "full", "random1", "full+new"...
QStringList writeSeries()
{
    return {QStringLiteral("read"),
            QStringLiteral("new"),
            QStringLiteral("full"),
            QStringLiteral("random1"),
            QStringLiteral("random2"),
            QStringLiteral("read+read"),
            QStringLiteral("full+new"),
            QStringLiteral("new+full"),
            QStringLiteral("full+random1"),
            QStringLiteral("random1+random2"),
            QStringLiteral("random2+read")};
}

ProfileValues valuesNamed(const QString &name, const ProfileValues &read)
{
    if (name == QLatin1String("read"))
        return read;
    if (name == QLatin1String("new"))
        return newProfileValues();
    if (name == QLatin1String("full"))
        return fullProfileValues();
    return randomProfile(name == QLatin1String("random1") ? 20261210U : 7U);
}

// Opens the input afresh (a name that does not open leaves the document as a failed open
// does), writes the series and answers the bytes a save writes. A write that fails (a profile
// without a CAN group) keeps what it wrote before failing, which is saved too.
QByteArray written(const QString &path, const QStringList &series)
{
    clsVLINXMLProfile doc;
    if (!path.isEmpty())
        doc.OpenFile(path);
    const ProfileValues read = readProfile(doc);
    for (const QString &name : series) {
        const ProfileValues values = valuesNamed(name, read);
        doc.WriteAll(values.baudrate, values.can, values.lin);
    }
    return doc.Serialize();
}

QString digestOf(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// "<input> <series> <sha-256>" a line; '#' starts a comment.
std::map<QString, QString> recordedDigests()
{
    std::map<QString, QString> digests;
    QFile file(QStringLiteral(VXL_TEST_DATA_DIR "/profile_writing_digests.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return digests;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype cut = line.lastIndexOf(QLatin1Char(' '));
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || cut < 0)
            continue;
        digests[line.left(cut)] = line.mid(cut + 1);
    }
    return digests;
}

} // namespace

class tst_ProfileWriting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameBytesAsRecorded();
    void convertedLegacyProfilesAsRecorded();
    void sameBytesWhateverWasWrittenBefore();
    void savedFileHoldsTheWrittenBytes();
    void sameBytesAfterReloading();

private:
    void compareWithRecorded(const std::map<QString, QByteArray> &saved);

    std::map<QString, QString> m_inputs;
};

void tst_ProfileWriting::initTestCase()
{
    m_inputs = filesIn({"fuzz/corpus/profile_document",
                        "fuzz/regressions/profile_document",
                        "tests/data/profiles"});
    QVERIFY2(m_inputs.size() >= 10, "the profile seeds are missing");
    m_inputs[kNeverOpened] = QString();
}

void tst_ProfileWriting::sameBytesAsRecorded()
{
    std::map<QString, QByteArray> saved;
    for (const auto &[name, path] : m_inputs) {
        for (const QString &series : writeSeries()) {
            const QByteArray bytes = written(path, series.split(QLatin1Char('+')));
            QVERIFY2(!bytes.isEmpty(), qPrintable(name + QLatin1Char(' ') + series));
            saved[name + QLatin1Char(' ') + series] = bytes;
        }
    }
    compareWithRecorded(saved);
}

void tst_ProfileWriting::convertedLegacyProfilesAsRecorded()
{
    const auto legacy = filesIn(
        {"fuzz/corpus/profile_converter", "fuzz/regressions/profile_converter"});
    QVERIFY2(legacy.size() >= 5, "the legacy profile seeds are missing");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::map<QString, QByteArray> saved;
    int converted = 0;
    int number = 0;
    for (const auto &[name, path] : legacy) {
        const QString target = dir.filePath(QStringLiteral("converted%1.vxlin").arg(++number));
        clsVLINProfileConverter converter;
        converter.SetSource(path);
        converter.SetTarget(target);
        // A seed that does not convert keeps an empty file's digest.
        QByteArray bytes;
        if (converter.Convert()) {
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadOnly));
            bytes = file.readAll();
            ++converted;
        }
        saved[name + QStringLiteral(" converted")] = bytes;
    }
    QVERIFY(converted > 0);
    compareWithRecorded(saved);
}

void tst_ProfileWriting::compareWithRecorded(const std::map<QString, QByteArray> &saved)
{
    const std::map<QString, QString> recorded = recordedDigests();
    QStringList missing;
    for (const auto &[key, bytes] : saved) {
        const auto found = recorded.find(key);
        if (found == recorded.end()) {
            missing << key + QLatin1Char(' ') + digestOf(bytes);
            continue;
        }
        QVERIFY2(digestOf(bytes) == found->second,
                 qPrintable(QStringLiteral("%1: not the bytes recorded").arg(key)));
    }
    // A new seed has no digest yet; the lines printed are what the writer saves for it now.
    for (const QString &line : missing)
        qInfo().noquote() << "no digest recorded:" << line;
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("%1 writes have no digest recorded").arg(missing.size())));
}

void tst_ProfileWriting::sameBytesWhateverWasWrittenBefore()
{
    const QStringList before = {QStringLiteral("new"),
                                QStringLiteral("full"),
                                QStringLiteral("random1"),
                                QStringLiteral("read")};
    for (const auto &[name, path] : m_inputs) {
        for (const QString &values :
             {QStringLiteral("read"), QStringLiteral("full"), QStringLiteral("random2")}) {
            const QByteArray direct = written(path, {values});
            QVERIFY(!direct.isEmpty());
            for (const QString &first : before) {
                QVERIFY2(written(path, {first, values}) == direct,
                         qPrintable(QStringLiteral("%1: %2 written over %3 differs")
                                        .arg(name, values, first)));
            }
        }
    }
}

void tst_ProfileWriting::savedFileHoldsTheWrittenBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString saved = dir.filePath(QStringLiteral("saved.vxlin"));
    for (const auto &[name, path] : m_inputs) {
        clsVLINXMLProfile doc;
        if (!path.isEmpty())
            doc.OpenFile(path);
        const ProfileValues values = randomProfile(20261210U);
        doc.WriteAll(values.baudrate, values.can, values.lin);
        QVERIFY2(doc.SaveAs(saved), qPrintable(name));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), written(path, {QStringLiteral("random1")}));
    }
}

// A document loaded again holds the file's values, not those written before: writing the same
// values once more must write them all again.
void tst_ProfileWriting::sameBytesAfterReloading()
{
    int compared = 0;
    for (const auto &[name, path] : m_inputs) {
        const QByteArray direct = written(path, {QStringLiteral("full")});
        clsVLINXMLProfile doc;
        const ProfileValues values = fullProfileValues();
        const auto reload = [&doc, &path = path] {
            if (path.isEmpty())
                doc.Close();
            else
                doc.OpenFile(path);
        };
        reload();
        doc.WriteAll(values.baudrate, values.can, values.lin);
        reload();
        if (!doc.WriteAll(values.baudrate, values.can, values.lin))
            continue;
        QVERIFY2(doc.Serialize() == direct, qPrintable(name));
        ++compared;
    }
    QVERIFY(compared >= 5);
}

QTEST_GUILESS_MAIN(tst_ProfileWriting)
#include "tst_profile_writing.moc"
