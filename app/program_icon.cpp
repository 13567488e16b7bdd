#include "program_icon.h"

#include <QImage>
#include <QPixmap>

#include "quillmark_icon_pixels.h"

static_assert(sizeof kIconPixels == sizeof(std::uint32_t) * kIconWidth * kIconHeight,
              "the icon's pixels fill its rows");

QIcon ProgramIcon()
{
    const QImage image(reinterpret_cast<const uchar*>(kIconPixels), kIconWidth, kIconHeight,
                       kIconWidth * static_cast<qsizetype>(sizeof(std::uint32_t)), QImage::Format_ARGB32);
    return QIcon(QPixmap::fromImage(image));
}
