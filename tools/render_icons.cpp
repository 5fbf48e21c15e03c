// Build step: draws the program's SVG pictures at the sizes the windows ask
// for most (16 and 32 pixels), as raw premultiplied ARGB32 pixels, so that
// the first paint neither parses SVG nor looks for an image decoder. The
// program's own picture also at 64 and 128 pixels: the window system is
// handed all four when the window is first shown. Other sizes are still
// drawn from the SVG.
//
// Usage: stanzabox_render_icons OUTPUT_FOLDER SVG...
// Writes OUTPUT_FOLDER/<name>-<size>.argb.

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER SVG...\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const QString svg = QString::fromLocal8Bit(argv[i]);
        QSvgRenderer renderer(svg);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        const QString name = QFileInfo(svg).completeBaseName();
        const bool windowIcon = name == QStringLiteral("stanzabox");
        for (int size : {16, 32, 64, 128}) {
            if (size > 32 && !windowIcon)
                break;
            QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer.render(&painter, QRectF(0, 0, size, size));
            painter.end();
            QFile raw(QStringLiteral("%1/%2-%3.argb").arg(output, name).arg(size));
            const auto bytes = QByteArrayView(image.constBits(), image.sizeInBytes());
            if (!raw.open(QIODevice::WriteOnly) || raw.write(bytes.data(), bytes.size()) != bytes.size())
                return 1;
        }
    }
    return 0;
}
