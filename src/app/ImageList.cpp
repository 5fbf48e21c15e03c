#include "app/ImageList.h"

#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <array>
#include <memory>

using namespace Qt::StringLiterals;

// The pictures are compiled into a static library; a reference from code
// that is linked keeps them in the program.
static void initImageResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace {

// Draws an SVG picture at whatever size is asked for. Going straight to the
// SVG renderer spares the program the search for an icon plugin at start-up.
class SvgIconEngine : public QIconEngine
{
public:
    explicit SvgIconEngine(const QString &path) : path(path) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size() * painter->device()->devicePixelRatio(), mode, state));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        const quint64 key = (quint64(size.width()) << 32) | (quint64(size.height()) << 8) | quint64(mode);
        if (const auto cached = pixmaps.constFind(key); cached != pixmaps.cend())
            return *cached;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            renderer().render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        }
        if (mode == QIcon::Disabled)
            image = disabled(image);
        return *pixmaps.insert(key, QPixmap::fromImage(std::move(image)));
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine *clone() const override { return new SvgIconEngine(path); }
    QString key() const override { return u"StanzaboxSvg"_s; }

private:
    QSvgRenderer &renderer()
    {
        if (!svg)
            svg = std::make_unique<QSvgRenderer>(path);
        return *svg;
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
    std::unique_ptr<QSvgRenderer> svg;
    QHash<quint64, QPixmap> pixmaps;
};

QIcon svgIcon(const QString &path)
{
    initImageResources();
    return QIcon(new SvgIconEngine(path));
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
        cached = svgIcon(resourcePath(index));
    return cached;
}

QIcon applicationIcon()
{
    return svgIcon(u":/icons/stanzabox.svg"_s);
}

QIcon picture(const QString &name)
{
    return svgIcon(u":/icons/"_s + name + u".svg"_s);
}

} // namespace ImageList
