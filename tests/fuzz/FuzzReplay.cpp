// Replays inputs through a harness without libFuzzer: the files named on the command line, or
// every file of the folders named there; the harness's seed corpus without arguments. A broken
// check aborts, which fails the test.
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char *argv[])
{
    QStringList paths;
    for (int i = 1; i < argc; ++i)
        paths << QFile::decodeName(argv[i]);
    if (paths.isEmpty())
        paths << QStringLiteral(FUZZ_CORPUS);
    int replayed = 0;
    for (const QString &path : std::as_const(paths)) {
        const QFileInfoList inputs = QFileInfo(path).isDir()
            ? QDir(path).entryInfoList(QDir::Files, QDir::Name)
            : QFileInfoList { QFileInfo(path) };
        for (const QFileInfo &input : inputs) {
            QFile file(input.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(input.filePath()));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                   std::size_t(bytes.size()));
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
