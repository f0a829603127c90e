// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QImage>

// Decodes a JPEG picture with libjpeg. A corrupt or truncated picture raises
// EError with libjpeg's message: the program reports it and goes on.
QImage DecodeJpeg(QByteArrayView bytes);
