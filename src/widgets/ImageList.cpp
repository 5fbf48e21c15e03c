#include "widgets/ImageList.h"

#include <QDir>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QResource>
#include <QSvgRenderer>

#include <array>
#include <memory>

using namespace Qt::StringLiterals;

// The pictures are compiled into a static library; a reference from code
// that is linked keeps them in the program.
static void initImageResources()
{
    Q_INIT_RESOURCE(icons);
    Q_INIT_RESOURCE(icons_pixels);
}

namespace {

// Draws an SVG picture at whatever size is asked for. Going straight to the
// SVG renderer spares the program the search for an icon plugin at start-up,
// and the sizes drawn at build time (16 and 32 pixels) are only copied.
class SvgIconEngine : public QIconEngine
{
public:
    // prerendered: the drawn pixels' path up to "-16.argb" / "-32.argb".
    SvgIconEngine(const QString &svgPath, const QString &pictures) : path(svgPath), prerendered(pictures) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size() * painter->device()->devicePixelRatio(), mode, state));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const quint64 key = (quint64(size.width()) << 32) | (quint64(size.height()) << 8) | quint64(mode);
        if (const auto cached = pixmaps.constFind(key); cached != pixmaps.cend())
            return *cached;
        QImage image;
        if (size.width() == size.height() && (size.width() == 16 || size.width() == 32) && !prerendered.isEmpty())
            image = drawnAtBuildTime(prerendered + u'-' + QString::number(size.width()) + u".argb"_s, size);
        if (image.isNull()) {
            image = QImage(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer().render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        }
        if (mode == QIcon::Disabled)
            image = disabled(image);
        return *pixmaps.insert(key, QPixmap::fromImage(std::move(image)));
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine *clone() const override { return new SvgIconEngine(path, prerendered); }
    QString key() const override { return u"StanzaboxSvg"_s; }

private:
    QSvgRenderer &renderer()
    {
        if (!svg)
            svg = std::make_unique<QSvgRenderer>(path);
        return *svg;
    }

    static QImage drawnAtBuildTime(const QString &path, QSize size)
    {
        const QResource resource(path);
        const QByteArray pixels = resource.isValid() ? resource.uncompressedData() : QByteArray();
        if (pixels.size() != qsizetype(size.width()) * size.height() * 4)
            return {};
        return QImage(reinterpret_cast<const uchar *>(pixels.constData()), size.width(), size.height(),
                      QImage::Format_ARGB32_Premultiplied)
            .copy();
    }

    // Grey and faded, as toolkits draw unavailable commands.
    static QImage disabled(const QImage &source)
    {
        QImage grey = source.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < grey.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(grey.scanLine(y));
            for (int x = 0; x < grey.width(); ++x) {
                const int g = qGray(line[x]);
                line[x] = qRgba(g, g, g, qAlpha(line[x]) * 2 / 5);
            }
        }
        return grey;
    }

    QString path;
    QString prerendered;
    std::unique_ptr<QSvgRenderer> svg;
    QHash<quint64, QPixmap> pixmaps;
};

// The drawn pictures are named after the SVG files, not their short names.
QString prerenderedStem(const QString &fileStart)
{
    static const QStringList drawn = QDir(u":/icons/pixels"_s).entryList();
    for (const QString &name : drawn) {
        if (name.startsWith(fileStart) && name.endsWith(u"-16.argb"_s))
            return u":/icons/pixels/"_s + name.chopped(8);
    }
    return {};
}

QIcon svgIcon(const QString &path, const QString &fileStart)
{
    initImageResources();
    return QIcon(new SvgIconEngine(path, prerenderedStem(fileStart)));
}

} // namespace

namespace ImageList {

QString resourcePath(int index)
{
    return u":/icons/%1.svg"_s.arg(index, 2, 10, QLatin1Char('0'));
}

QIcon icon(int index)
{
    if (index < 1 || index > Count)
        return {};
    static std::array<QIcon, Count> icons;
    QIcon &cached = icons[size_t(index - 1)];
    if (cached.isNull())
        cached = svgIcon(resourcePath(index), u"%1-"_s.arg(index, 2, 10, QLatin1Char('0')));
    return cached;
}

QIcon applicationIcon()
{
    return svgIcon(u":/icons/stanzabox.svg"_s, u"stanzabox"_s);
}

QIcon picture(const QString &name)
{
    return svgIcon(u":/icons/"_s + name + u".svg"_s, name);
}

} // namespace ImageList
