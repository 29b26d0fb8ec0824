// The texts users read for every status code, and the composed operator messages.

#include "core/link/status_text.h"

#include <QtTest>

using namespace vxl;

class TestStatusText : public QObject
{
    Q_OBJECT

private slots:
    void families_data();
    void families();
    void linErrorIdentifier_data();
    void linErrorIdentifier();
    void operatorMessages_data();
    void operatorMessages();
};

void TestStatusText::families_data()
{
    QTest::addColumn<uint>("code");
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");

    QTest::newRow("link ok") << 0u << 0 << "No error." << -1;
    QTest::newRow("link 39") << 39u << 0 << "The port is not Available." << -1;
    QTest::newRow("link 69 misspelt")
        << 69u << 0 << "The reciving queue of the VEXA-LIN object is empty." << -1;
    QTest::newRow("link unknown") << 73u << 0 << "LIN Object Error: 49h" << -1;
    QTest::newRow("module 5") << 5u << 1 << "The given value is out of range." << -1;
    QTest::newRow("module 11") << 11u << 1
                               << "LIN Scheduler is running OR Module not in Master Mode." << -1;
    QTest::newRow("module unknown") << 13u << 1 << "Module Return Error: Dh" << -1;
    QTest::newRow("lin 0") << 0u << 2 << "No error." << 1;
    QTest::newRow("lin 17 status")
        << 17u << 2 << "The Bit rate recognition process finished successfully." << 3;
    QTest::newRow("lin 18 error") << 18u << 2 << "LIN line possibly shorted to ground." << 1;
    QTest::newRow("lin 16 warning")
        << 16u << 2 << "The Bit rate recognition process got a timeout and was unsuccessful." << 2;
    QTest::newRow("lin unknown") << 19u << 2 << "LIN Error: 0x13h" << 1;
    QTest::newRow("can 0") << 0u << 3 << "None error.  All okay" << -1;
    QTest::newRow("can 32") << 32u << 3
                            << "The pre-defined error warning limit of SJA1000 was exceeded." << -1;
    QTest::newRow("can unknown") << 3u << 3 << "CAN Error: 3h" << -1;
}

void TestStatusText::families()
{
    QFETCH(uint, code);
    QFETCH(int, family);
    QFETCH(QString, text);
    QFETCH(int, type);
    int got = -1;
    QCOMPARE(StatusText(code, family, nullptr, &got), text);
    QCOMPARE(got, type);
}

void TestStatusText::linErrorIdentifier_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("text");

    QTest::newRow("identifier carried") << 2 << "Slave not responding. ID: 0x21";
    QTest::newRow("code only") << 1 << "Slave not responding. ID not available.";
}

void TestStatusText::linErrorIdentifier()
{
    QFETCH(int, length);
    QFETCH(QString, text);
    LIN_Msg msg;
    msg.header = static_cast<std::uint8_t>(0xA0 | length);
    msg.data[0] = 0x4A;
    msg.data[1] = 0x21;
    int type = 0;
    QCOMPARE(StatusText(msg.data[0] & 0x3F, LinError, &msg, &type), text);
    QCOMPARE(type, 2);
    QCOMPARE(StatusText(10, LinError), QStringLiteral("Slave not responding. ID not available."));
}

void TestStatusText::operatorMessages_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<uint>("first");
    QTest::addColumn<uint>("second");
    QTest::addColumn<QString>("text");

    QTest::newRow("0 connect failed")
        << 0 << 3u << 39u
        << "Try to connect to port/module: 3 failed with message \"The port is not "
           "Available.\".\r\nDo you want to try again?";
    QTest::newRow("3 one second")
        << 3 << 1u << (2u + 256u * 20u)
        << "The TIME OUT for waiting an answer from the module: 1 second was reached.  Timeout "
           "reached processing the LIN group: 2 - LIN code: 20";
    QTest::newRow("3 five seconds")
        << 3 << 5u << 0u
        << "The TIME OUT for waiting an answer from the module: 5 seconds was reached.  Timeout "
           "reached processing the LIN group: 0 - LIN code: 0";
    QTest::newRow("5") << 5 << 0u << 0u
                       << "Error retreiving information from the module.  Check the RS-232 "
                          "connection, the program connection and try again. ";
    QTest::newRow("6 can init")
        << 6 << 2u << 1u
        << "Error sending the profile to the module. Timeout reached waiting an acknowledge "
           "message  for CAN group settings. Could not initialize group.";
    QTest::newRow("6 rs232 rate")
        << 6 << 1u << 3u
        << "Error sending the profile to the module. Timeout reached waiting an acknowledge "
           "message  for RS-232 group settings. Probably you have changed the RS-232 Bit rate and  "
           "the connection was lost after initializing the group.";
    QTest::newRow("6 return code replaces")
        << 6 << 2u << 9u
        << "Error sending the profile to the Module: The given value is out of range.";
    QTest::newRow("7 group 2") << 7 << 2u << 5u << "The connection to the module was broken.";
    QTest::newRow("7 group 0 init")
        << 7 << 0u << 0u
        << "The connection to the module was broken. Probably you have initialized the RS-232 "
           "group with a different Bit rate that the used for the current connection. Please check "
           "the connection. (Shift+Ctrl+C to open the connection dialog)";
    QTest::newRow("7 group 0 other")
        << 7 << 0u << 31u
        << "The connection to the module was broken.different Bit rate that the used for the "
           "current connection. Please check the connection. (Shift+Ctrl+C to open the connection "
           "dialog)";
    QTest::newRow("7 reconnect") << 7 << 4u << (17u | (38400u << 8))
                                 << "Try to connect/reconnect with the port 17 with 38400 "
                                    "kbs.Check the configuration and hardware.";
    QTest::newRow("11") << 11 << 27u << 0u
                        << "A timeout was reached while waiting for frame configuration "
                           "information. Waiting an acknowledge message from Group 2 code 27";
}

void TestStatusText::operatorMessages()
{
    QFETCH(int, id);
    QFETCH(uint, first);
    QFETCH(uint, second);
    QFETCH(QString, text);
    QCOMPARE(OperatorMessage(id, first, second), text);
}

QTEST_GUILESS_MAIN(TestStatusText)
#include "tst_status_text.moc"
