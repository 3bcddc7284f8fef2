#include "decoder_launch.h"

#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantor;
using vantor::test::waitFor;

namespace {

// A stand-in decoder: records its arguments and working folder, then exits.
QString WriteRecordingProgram(const QString &folder, const QString &record)
{
    const QString path = folder + QStringLiteral("/rdsdecoder");
    const QByteArray script = "#!/bin/sh\n"
                              "printf '%s\\n' \"$#\" \"$@\" \"$(pwd -P)\" > '" +
                              record.toLocal8Bit() +
                              ".part'\n"
                              "mv '" +
                              record.toLocal8Bit() + ".part' '" + record.toLocal8Bit() + "'\n";
    EXPECT_TRUE(vantor::test::writeAll(path, script));
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    return path;
}

TEST(RdsOutputDecoderTest, ChecksComeInOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("rdsdecoder"));
    ASSERT_TRUE(vantor::test::writeAll(program, "#!/bin/sh\n"));
    const QString missing = dir.filePath(QStringLiteral("nothing"));

    struct Case {
        bool outputOn;
        QString path;
        bool running;
        DecoderLaunchCheck expected;
    };
    const Case cases[] = {
        {false, missing, true, DecoderLaunchCheck::OutputOff},
        {true, missing, true, DecoderLaunchCheck::FileMissing},
        {true, dir.path(), false, DecoderLaunchCheck::FileMissing},
        {true, QString(), false, DecoderLaunchCheck::FileMissing},
        {true, program, true, DecoderLaunchCheck::AlreadyRunning},
        {true, program, false, DecoderLaunchCheck::Clear},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CheckDecoderLaunch(c.outputOn, c.path, c.running), c.expected)
            << c.outputOn << ' ' << c.path.toStdString() << ' ' << c.running;

    EXPECT_EQ(DecoderMissingLine(QStringLiteral("C:\\Program Files\\RDS Lumex\\rdslumex.exe")),
              QStringLiteral("File C:\\Program Files\\RDS Lumex\\rdslumex.exe does not exist"));
}

TEST(RdsOutputDecoderTest, StartsTheProgramInItsFolderToldWhereToConnect)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder name with a blank, like the usual install folder.
    const QString folder = dir.filePath(QStringLiteral("RDS Decoder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString record = dir.filePath(QStringLiteral("record.txt"));
    const QString program = WriteRecordingProgram(folder, record);

    ASSERT_TRUE(StartDecoder(program, 7000));
    ASSERT_TRUE(waitFor([&] { return QFile::exists(record); }));
    EXPECT_EQ(vantor::test::readAll(record),
              "1\nSTREAM:127.0.0.1:7000\n" + QDir(folder).canonicalPath().toLocal8Bit() + "\n");
}

TEST(RdsOutputDecoderTest, MissingProgramIsNotStarted)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_FALSE(StartDecoder(dir.filePath(QStringLiteral("rdsdecoder")), 7000));
}

} // namespace
