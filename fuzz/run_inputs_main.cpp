// Runs a fuzz target once on each input file given, or on each file of a
// folder given: the regression run of the seed and crash inputs in builds
// without libFuzzer. A fault aborts the run like the fuzzer would.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

QStringList InputFiles(const QString &path)
{
    if (!QFileInfo(path).isDir())
        return {path};
    QStringList files;
    const QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        files.append(dir.filePath(name));
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = 0;
    for (int i = 1; i < argc; ++i) {
        for (const QString &file : InputFiles(QString::fromLocal8Bit(argv[i]))) {
            QFile in(file);
            if (!in.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
                return 1;
            }
            const QByteArray bytes = in.readAll();
            std::printf("%s\n", qPrintable(file));
            std::fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size()));
            ++runs;
        }
    }
    std::printf("%d inputs ran\n", runs);
    return runs > 0 ? 0 : 1;
}
