// The Preferences dialog: live editing of the settings, number fields,
// presets, the decoder path, the test message and the RDS output on closing.
#include "editor_fixture.h"
#include "engine_tables.h"
#include "mail_transport.h"
#include "number_field.h"
#include "preferences_dialog.h"
#include "snmp_settings.h"
#include "webhook_settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTimer>

namespace vantor::test {
namespace {

// Answers every message with a fixed status text.
class FixedTransport : public MailTransport
{
public:
    explicit FixedTransport(QString status, int *sent) : m_status(std::move(status)), m_sent(sent)
    {}
    void Msg(const QByteArray &) override {}
    void Auth(bool, bool, const QString &, const QString &) override {}
    QString Send(const QString &, int, int) override
    {
        ++*m_sent;
        return m_status;
    }

private:
    QString m_status;
    int *m_sent;
};

class PreferencesTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        WriteDevices({QStringLiteral("COM1"), QStringLiteral("COM2")});
        WriteFile(QStringLiteral("config.ini"),
                  "[Email]\r\nSubject=Alarm here\r\n[General]\r\nConnectionTimeout=5\r\n"
                  "LogGraph3=1\r\nRDSLumexDevice=1\r\nGraphExt=0\r\n"
                  "[SNMP]\r\nEnable=1\r\n[Webhook]\r\nURL2=https://hooks.example.org/v1\r\n"
                  "Secret2=topsecret\r\n");
        Start();
        dialog.SetPrompts(prompts.Prompts());
        dialog.Load();
        dialog.show();
    }

    NumberField *Number(const char *key)
    {
        return qobject_cast<NumberField *>(dialog.Control(QString::fromLatin1(key)));
    }

    void Type(QWidget *w, const QString &text) { QTest::keyClicks(w, text); }

    Preferences &prefs() { return engine.Prefs(); }
    PreferencesDialog dialog{engine};
};

TEST_F(PreferencesTest, ShowsTheSettingsAsTheyAre)
{
    EXPECT_EQ(qobject_cast<QLineEdit *>(dialog.Control(QStringLiteral("Subject")))->text(),
              QStringLiteral("Alarm here"));
    EXPECT_EQ(Number("ConnectionTimeout")->value(), 20);
    auto *device = qobject_cast<QComboBox *>(dialog.Control(QStringLiteral("RDSLumexDevice")));
    EXPECT_EQ(device->count(), 2);
    EXPECT_EQ(device->currentText(), QStringLiteral("D1"));
    auto *graphs = dialog.findChild<QListWidget *>();
    ASSERT_EQ(graphs->count(), 14);
    EXPECT_EQ(graphs->item(2)->text(), QStringLiteral("AVE"));
    EXPECT_EQ(graphs->item(2)->checkState(), Qt::Checked);
    EXPECT_EQ(graphs->item(13)->text(), QStringLiteral("Histogram Max at"));
    const auto radios = dialog.Control(QStringLiteral("GraphExt"))->findChildren<QRadioButton *>();
    ASSERT_EQ(radios.size(), 2);
    EXPECT_TRUE(radios[0]->isChecked());
}

TEST_F(PreferencesTest, EveryKindOfControlEditsTheSettingsAtOnce)
{
    Type(dialog.Control(QStringLiteral("SMTPServer")), QStringLiteral("mail:25"));
    EXPECT_EQ(prefs().Text(QStringLiteral("SMTPServer")), QStringLiteral("mail:25"));
    qobject_cast<QCheckBox *>(dialog.Control(QStringLiteral("Enable")))->click();
    EXPECT_TRUE(prefs().Flag(QStringLiteral("Enable")));
    qobject_cast<QComboBox *>(dialog.Control(QStringLiteral("QualityValue")))->setCurrentIndex(0);
    EXPECT_EQ(prefs().Integer(QStringLiteral("QualityValue")), 0);
    dialog.Control(QStringLiteral("Structure"))->findChildren<QRadioButton *>()[1]->click();
    EXPECT_EQ(prefs().Integer(QStringLiteral("Structure")), 1);
    dialog.findChild<QListWidget *>()->item(13)->setCheckState(Qt::Checked);
    EXPECT_TRUE(prefs().Flag(QStringLiteral("LogGraph14")));
    NumberField *period = Number("LoggingPeriod");
    period->findChild<QLineEdit *>()->selectAll();
    Type(period->findChild<QLineEdit *>(), QStringLiteral("15"));
    EXPECT_EQ(prefs().Integer(QStringLiteral("LoggingPeriod")), 15);
}

TEST_F(PreferencesTest, NumberFieldsRefillEmptiedTextAndClampOnLeaving)
{
    NumberField *period = Number("LoggingPeriod");
    period->setValue(30);
    period->findChild<QLineEdit *>()->selectAll();
    QTest::keyClick(period->findChild<QLineEdit *>(), Qt::Key_Backspace);
    EXPECT_EQ(period->text(), QStringLiteral("1"));
    EXPECT_EQ(prefs().Integer(QStringLiteral("LoggingPeriod")), 1);

    NumberField *timeout = Number("ConnectionTimeout");
    timeout->findChild<QLineEdit *>()->selectAll();
    Type(timeout->findChild<QLineEdit *>(), QStringLiteral("5"));
    Leave(timeout);
    EXPECT_EQ(timeout->text(), QStringLiteral("20"));
    timeout->findChild<QLineEdit *>()->selectAll();
    Type(timeout->findChild<QLineEdit *>(), QStringLiteral("123456"));
    Leave(timeout);
    EXPECT_EQ(timeout->value(), 99999);
    EXPECT_EQ(prefs().Integer(QStringLiteral("ConnectionTimeout")), 99999);
    timeout->findChild<QLineEdit *>()->selectAll();
    Type(timeout->findChild<QLineEdit *>(), QStringLiteral("7"));
    // Not yet left: closing takes the value over as leaving would.
    dialog.accept();
    EXPECT_EQ(prefs().Integer(QStringLiteral("ConnectionTimeout")), 20);
}

TEST_F(PreferencesTest, PresetsSetTheLineComposition)
{
    auto *composition =
        qobject_cast<QLineEdit *>(dialog.Control(QStringLiteral("LineComposition")));
    const auto actions = dialog.PresetsMenu()->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->text(), QStringLiteral("Cancel"));
    actions[1]->trigger();
    EXPECT_EQ(composition->text(), Preferences::FullComposition());
    EXPECT_EQ(composition->text().count(QLatin1Char(';')), 14);
    actions[3]->trigger();
    EXPECT_EQ(composition->text(), Preferences::FullComposition());
    actions[0]->trigger();
    EXPECT_EQ(composition->text(),
              QStringLiteral("\"datetime\";\"Signal Quality\";\"Level\";\"MAX\";\"Pilot\";"
                             "\"RDS\";\"Pm\""));
    EXPECT_EQ(prefs().Text(QStringLiteral("LineComposition")), composition->text());
}

TEST_F(PreferencesTest, DecoderPathComesFromTheFileDialog)
{
    prompts.fileChoice = QStringLiteral("/opt/decoder/run.sh");
    dialog.ChooseDecoder();
    EXPECT_EQ(prefs().Text(QStringLiteral("RDSLumexPath")), QStringLiteral("/opt/decoder/run.sh"));
    EXPECT_EQ(qobject_cast<QLineEdit *>(dialog.Control(QStringLiteral("RDSLumexPath")))->text(),
              QStringLiteral("/opt/decoder/run.sh"));
    prompts.fileChoice.clear();
    dialog.ChooseDecoder();
    EXPECT_EQ(prefs().Text(QStringLiteral("RDSLumexPath")), QStringLiteral("/opt/decoder/run.sh"));
}

TEST_F(PreferencesTest, SendEmailShowsOneOfThreeMessages)
{
    int sent = 0;
    prefs().SetText(QStringLiteral("SMTPServer"), QStringLiteral("127.0.0.1:25"));
    prefs().SetText(QStringLiteral("From"), QStringLiteral("station@example.org"));
    prefs().SetText(QStringLiteral("To"), QStringLiteral("ops@example.org"));
    engine.SetMailTransport(std::make_unique<FixedTransport>(QStringLiteral("OK"), &sent));
    QPushButton *send = nullptr;
    for (QPushButton *b : dialog.findChildren<QPushButton *>())
        if (b->text() == QLatin1String("Send Email"))
            send = b;
    ASSERT_NE(send, nullptr);
    // The outcome comes back from the mail queue through the event loop.
    const auto shown = [this](int count) {
        return waitFor([this, count] { return prompts.messages.size() >= count; });
    };
    send->click();
    ASSERT_TRUE(shown(1));
    EXPECT_EQ(sent, 0);
    prefs().SetFlag(QStringLiteral("Enable"), true);
    send->click();
    ASSERT_TRUE(shown(2));
    EXPECT_EQ(sent, 1);
    engine.SetMailTransport(
        std::make_unique<FixedTransport>(QStringLiteral("connection refused"), &sent));
    send->click();
    ASSERT_TRUE(shown(3));
    EXPECT_EQ(prompts.messages, (QStringList{QStringLiteral("Enable the Email function first"),
                                             QStringLiteral("Email sent OK"),
                                             QStringLiteral("Unable to send email")}));
}

TEST_F(PreferencesTest, SendEmailShowsALateReportWhenItComes)
{
    std::function<void(const QString &)> later;
    dialog.SetTestMailer(
        [&later](Engine &, std::function<void(const QString &)> report) { later = report; });
    dialog.SendTestEmail();
    EXPECT_TRUE(prompts.messages.isEmpty());
    ASSERT_TRUE(later);
    later(QStringLiteral("Email sent OK"));
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("Email sent OK")});
}

TEST_F(PreferencesTest, ClosingBringsTheRdsOutputInLine)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::AnyIPv4, 0));
    const int port = probe.serverPort();
    probe.close();
    Number("RDSTCPPort")->setValue(port);
    qobject_cast<QCheckBox *>(dialog.Control(QStringLiteral("RDSTCPOutput")))->click();
    EXPECT_EQ(Tables(engine).G.RdsOutputPort, -1) << "nothing moves while the dialog is open";
    dialog.reject();
    EXPECT_EQ(Tables(engine).G.RdsOutputPort, port);
    EXPECT_EQ(engine.RdsOutputServerPort(), port);
}

TEST_F(PreferencesTest, SnmpAndWebhooksAreEditedAndSavedInTheirOwnSections)
{
    auto *snmp = qobject_cast<QCheckBox *>(dialog.Control(QStringLiteral("SNMPEnable")));
    auto *mail = qobject_cast<QCheckBox *>(dialog.Control(QStringLiteral("Enable")));
    EXPECT_TRUE(snmp->isChecked());
    EXPECT_FALSE(mail->isChecked()) << "[Email] Enable is another setting";
    auto *url2 = qobject_cast<QLineEdit *>(dialog.Control(QStringLiteral("URL2")));
    auto *secret2 = qobject_cast<QLineEdit *>(dialog.Control(QStringLiteral("Secret2")));
    EXPECT_EQ(url2->text(), QStringLiteral("https://hooks.example.org/v1"));
    EXPECT_EQ(secret2->text(), QStringLiteral("topsecret"));
    EXPECT_EQ(secret2->echoMode(), QLineEdit::Password) << "secrets are shown masked";

    snmp->click();
    Type(dialog.Control(QStringLiteral("AgentXSocket")), QStringLiteral("/run/agentx/master"));
    Type(dialog.Control(QStringLiteral("URL4")), QStringLiteral("http://10.0.0.9:8080/alarm"));
    Type(dialog.Control(QStringLiteral("Secret4")), QStringLiteral("k=v;#x"));
    dialog.accept();
    EXPECT_TRUE(prompts.messages.isEmpty());
    engine.SaveSettings();

    // What the program reads from the file when it starts.
    const IniFile config(DataFile(QStringLiteral("config.ini")));
    const SnmpSettings agent = ReadSnmpSettings(config);
    EXPECT_FALSE(agent.enabled);
    EXPECT_EQ(agent.agentxSocket, QStringLiteral("/run/agentx/master"));
    EXPECT_EQ(ReadWebhooks(config),
              (std::vector<WebhookTarget>{
                  {QStringLiteral("https://hooks.example.org/v1"), QStringLiteral("topsecret")},
                  {QStringLiteral("http://10.0.0.9:8080/alarm"), QStringLiteral("k=v;#x")}}));
    EXPECT_FALSE(config.ReadBool(QStringLiteral("Email"), QStringLiteral("Enable"), true));
}

TEST_F(PreferencesTest, AWebhookAddressThatIsNotHttpKeepsTheDialogOpen)
{
    const char *refused[] = {
        "ftp://hooks.example.org/x", "hooks.example.org/x", "http://",
        "https://exa mple.org/",     "javascript:alert(1)", "file:///etc/passwd"};
    auto *url3 = qobject_cast<QLineEdit *>(dialog.Control(QStringLiteral("URL3")));
    const auto retype = [&](const char *text) {
        url3->selectAll();
        QTest::keyClick(url3, Qt::Key_Backspace);
        Type(url3, QLatin1String(text));
    };
    for (const char *text : refused) {
        prompts.messages.clear();
        dialog.Pages()->setCurrentIndex(0);
        retype(text);
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible()) << text;
        ASSERT_EQ(prompts.messages.size(), 1) << text;
        EXPECT_TRUE(prompts.messages[0].startsWith(QStringLiteral("Webhook URL 3 \"") +
                                                   QLatin1String(text)))
            << qPrintable(prompts.messages[0]);
        EXPECT_EQ(dialog.Pages()->currentWidget(), url3->parentWidget()->parentWidget()) << text;
    }
    for (const char *text : {"", "HTTPS://hooks.example.org:8443/a?b=c", "http://[::1]:9000/"}) {
        prompts.messages.clear();
        retype(text);
        dialog.accept();
        EXPECT_FALSE(dialog.isVisible()) << text;
        EXPECT_TRUE(prompts.messages.isEmpty()) << qPrintable(prompts.messages.value(0));
        dialog.show();
    }
}

} // namespace
} // namespace vantor::test
