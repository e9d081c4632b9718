#include "ui/controls/ResourceImages.h"

#include <QFile>

#include <array>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The colour of an XPM colour string after its key ("c #RRGGBB" or "c None"), transparent for
// None; nullopt for any other form.
std::optional<QRgb> XpmColour(QByteArrayView entry)
{
    entry = entry.trimmed();
    if (!entry.startsWith("c ") && !entry.startsWith("c\t"))
        return std::nullopt;
    const QByteArrayView value = entry.sliced(1).trimmed();
    if (value.compare("None", Qt::CaseInsensitive) == 0)
        return QRgb(0);
    bool ok = value.size() == 7 && value.front() == '#';
    const uint rgb = ok ? value.sliced(1).toUInt(&ok, 16) : 0;
    return ok ? std::optional<QRgb>(0xFF000000u | rgb) : std::nullopt;
}

// Decodes an XPM file, the C array form, into the image that Qt's own XPM reader gives (8-bit
// indexed, None as a transparent entry). Loading through QImage(path) would first ask every
// image-format plugin whether it reads "xpm", which loads all of them (gif, ico, jpeg) at
// start-up only to end at the built-in reader; and that reader is made for any XPM, where the
// program's own images need a table lookup per pixel. Anything outside the form that
// res/images/make_images.py writes (more than 256 colours, more than two characters per pixel,
// named colours, short strings) gives a null image.
QImage ReadXpm(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll();
    QList<QByteArrayView> strings;
    for (qsizetype open = text.indexOf('"'); open >= 0; open = text.indexOf('"', open + 1)) {
        const qsizetype close = text.indexOf('"', open + 1);
        if (close < 0)
            return {};
        strings.append(QByteArrayView(text).sliced(open + 1, close - open - 1));
        open = close;
    }
    const QList<QByteArray> header = strings.value(0).toByteArray().simplified().split(' ');
    std::array<int, 4> numbers {}; // width, height, colours, characters per pixel
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        bool ok = false;
        numbers[i] = header.value(qsizetype(i)).toInt(&ok);
        if (!ok || numbers[i] <= 0)
            return {};
    }
    const auto [width, height, colours, perPixel] = numbers;
    if (colours > 256 || perPixel > 2 || strings.size() < 1 + qsizetype(colours) + height)
        return {};

    const auto keyOf = [perPixel](const char *key) {
        const auto *k = reinterpret_cast<const uchar *>(key);
        return perPixel == 1 ? int(k[0]) : int(k[0]) | int(k[1]) << 8;
    };
    std::vector<int> indexOfKey(perPixel == 1 ? 0x100 : 0x10000, -1);
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorCount(colours);
    for (int c = 0; c < colours; ++c) {
        const QByteArrayView line = strings[1 + c];
        const std::optional<QRgb> colour =
            line.size() > perPixel ? XpmColour(line.sliced(perPixel)) : std::nullopt;
        if (!colour)
            return {};
        image.setColor(c, *colour);
        indexOfKey[keyOf(line.data())] = c;
    }
    for (int y = 0; y < height; ++y) {
        const QByteArrayView row = strings[1 + colours + y];
        if (row.size() < qsizetype(width) * perPixel)
            return {};
        uchar *pixels = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int index = indexOfKey[keyOf(row.data() + x * perPixel)];
            if (index < 0)
                return {};
            pixels[x] = uchar(index);
        }
    }
    return image;
}

// Qt resource path of image `id`; empty for an ID that names no image.
QString ResourceImagePath(int id)
{
    static constexpr const char16_t *digitNames[ResourceId::DigitImageCount] = {
        u"digit_0",     u"digit_1",     u"digit_2",     u"digit_3",     u"digit_4",
        u"digit_5",     u"digit_6",     u"digit_7",     u"digit_8",     u"digit_9",
        u"digit_blank", u"digit_point", u"digit_colon", u"digit_minus", u"digit_plus",
    };
    QStringView name;
    if (id >= ResourceId::FirstDigitImage
        && id < ResourceId::FirstDigitImage + ResourceId::DigitImageCount) {
        name = digitNames[id - ResourceId::FirstDigitImage];
    } else {
        switch (id) {
        case ResourceId::MainIcon:
            name = u"app_icon";
            break;
        case ResourceId::LampLit:
            name = u"lamp_lit";
            break;
        case ResourceId::LampHalfLit:
            name = u"lamp_half";
            break;
        case ResourceId::LampDark:
            name = u"lamp_dark";
            break;
        case ResourceId::HelpImage:
            name = u"help";
            break;
        default:
            return {};
        }
    }
    return u":/velmora/images/"_s + name + u".xpm"_s;
}

} // namespace

QImage LoadResourceImage(int id)
{
    const QString path = ResourceImagePath(id);
    return path.isEmpty() ? QImage() : ReadXpm(path);
}

QString BitmapPathForId(uint id)
{
    const int number = int(id & 0xFFFF);
    if (number == 0) {
        return {};
    }
    const QString path = ResourceImagePath(number);
    return path.isEmpty() ? u":/velmora/images/none"_s : path;
}

bool LoadBitmap(QPixmap &pixmap, const QString &path, bool required)
{
    if (path.isEmpty()) {
        return !required;
    }
    pixmap = QPixmap::fromImage(ReadXpm(path));
    return !pixmap.isNull();
}
