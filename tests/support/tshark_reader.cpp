#include "tshark_reader.h"

#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>

namespace vxl::test {

namespace {

constexpr int kTsharkMs = 120000; // a bound for a hung tshark only

// Runs tshark; its standard output, or nothing with `failure` set.
QByteArray runTshark(const QStringList &args, const QByteArray &input, QString &failure)
{
    QProcess tshark;
    tshark.start(QStringLiteral("tshark"), args);
    if (!tshark.waitForStarted(kTsharkMs)) {
        failure = QStringLiteral("tshark could not be started (%1); `make deps` installs it")
                      .arg(tshark.errorString());
        return {};
    }
    tshark.write(input);
    tshark.closeWriteChannel();
    if (!tshark.waitForFinished(kTsharkMs)) {
        tshark.kill();
        tshark.waitForFinished();
        failure = QStringLiteral("tshark did not finish");
        return {};
    }
    const QByteArray out = tshark.readAllStandardOutput();
    if (tshark.exitStatus() != QProcess::NormalExit || tshark.exitCode() != 0) {
        failure = QStringLiteral("tshark %1 ended with %2: %3")
                      .arg(args.join(QLatin1Char(' ')))
                      .arg(tshark.exitCode())
                      .arg(QString::fromLocal8Bit(tshark.readAllStandardError()));
        return {};
    }
    return out;
}

// Every value under a key that names a malformed packet, anywhere in the packet.
void collectMalformed(const QJsonValue &value, QStringList &found)
{
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it.key().startsWith(QStringLiteral("_ws.malformed")))
                found << it.key();
            collectMalformed(it.value(), found);
        }
    } else if (value.isArray()) {
        for (const QJsonValue &item : value.toArray())
            collectMalformed(item, found);
    }
}

QJsonValue findField(const QJsonObject &tree, const QString &field)
{
    if (tree.contains(field))
        return tree.value(field);
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        if (!it.value().isObject())
            continue;
        const QJsonValue found = findField(it.value().toObject(), field);
        if (!found.isUndefined())
            return found;
    }
    return QJsonValue(QJsonValue::Undefined);
}

QJsonObject layers(const QJsonObject &packet)
{
    return packet.value(QStringLiteral("_source"))
        .toObject()
        .value(QStringLiteral("layers"))
        .toObject();
}

} // namespace

TsharkRead ReadWithTshark(const QString &file, const QByteArray &input)
{
    TsharkRead read;
    const QByteArray json = runTshark({QStringLiteral("-r"),
                                       file,
                                       QStringLiteral("-T"),
                                       QStringLiteral("json"),
                                       QStringLiteral("-x")},
                                      input,
                                      read.failure);
    if (!read.failure.isEmpty())
        return read;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        read.failure = QStringLiteral("tshark wrote no JSON array: ") + error.errorString();
        return read;
    }
    read.packets = document.array();
    collectMalformed(read.packets, read.problems);
    // Expert information of error severity: malformed packets and dissector errors, by summary.
    const QByteArray expert = runTshark({QStringLiteral("-r"),
                                         file,
                                         QStringLiteral("-q"),
                                         QStringLiteral("-z"),
                                         QStringLiteral("expert,error")},
                                        input,
                                        read.failure);
    if (!read.failure.isEmpty())
        return read;
    for (const QString &line : QString::fromUtf8(expert).split(QLatin1Char('\n'))) {
        if (line.contains(QRegularExpression(QStringLiteral("^\\s*\\d+\\s+"))))
            read.problems << line.trimmed();
    }
    read.ran = true;
    return read;
}

QString TsharkField(const QJsonObject &packet, const QString &layer, const QString &field)
{
    const QJsonValue value = findField(layers(packet).value(layer).toObject(), field);
    return value.isString() ? value.toString() : QString();
}

QByteArray TsharkBytes(const QJsonObject &packet)
{
    const QJsonArray raw = layers(packet).value(QStringLiteral("frame_raw")).toArray();
    return raw.isEmpty() ? QByteArray() : QByteArray::fromHex(raw.first().toString().toLatin1());
}

} // namespace vxl::test
