#include "ui/controls/ResourceImages.h"

using namespace Qt::StringLiterals;

namespace {

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
    return path.isEmpty() ? QImage() : QImage(path);
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
    pixmap = QPixmap(path);
    return !pixmap.isNull();
}
