// Runs a fuzz target without libFuzzer: on every file named on the command line, then on
// a fixed number of pseudo-random inputs (so the targets run in the ordinary test suite).

#include <QFile>
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()),
                               static_cast<size_t>(bytes.size()));
    }
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> input(rng() % 256);
        for (auto& b : input)
            b = static_cast<uint8_t>(rng());
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    return 0;
}
