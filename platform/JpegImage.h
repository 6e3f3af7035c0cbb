#pragma once

#include <QByteArray>
#include <QImage>

namespace platform {

// Decodes a JPEG picture with libjpeg into an RGB image. A picture libjpeg
// cannot decode, or one too large to show, gives a null image; a picture cut
// short decodes as far as it goes.
QImage DecodeJpeg(const QByteArray& data);

} // namespace platform
