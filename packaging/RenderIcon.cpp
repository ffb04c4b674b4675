// Build tool: renders the program's SVG icon into a square PNG for the hicolor icon theme.
//   velmora-render-icon INPUT.svg SIZE OUTPUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    constexpr int kMinSize = 16;
    constexpr int kMaxSize = 1024;
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s INPUT.svg SIZE OUTPUT.png\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[2]);
    if (size < kMinSize || size > kMaxSize) {
        std::fprintf(stderr, "velmora-render-icon: size %s is not in %d..%d\n", argv[2], kMinSize,
                     kMaxSize);
        return 2;
    }
    // Build machines have no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QGuiApplication application(argc, argv);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "velmora-render-icon: cannot read %s as SVG\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "velmora-render-icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
