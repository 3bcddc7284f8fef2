// The Preferences dialog: live editing of the settings, number fields,
// presets, the decoder path, the test message and the RDS output on closing.
#include "editor_fixture.h"
#include "mail_transport.h"
#include "number_field.h"
#include "preferences_dialog.h"

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
                  "LogGraph3=1\r\nRDSLumexDevice=1\r\nGraphExt=0\r\n");
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
    EXPECT_EQ(engine.G.RdsOutputPort, -1) << "nothing moves while the dialog is open";
    dialog.reject();
    EXPECT_EQ(engine.G.RdsOutputPort, port);
    EXPECT_EQ(engine.RdsOutputServerPort(), port);
}

} // namespace
} // namespace vantor::test
