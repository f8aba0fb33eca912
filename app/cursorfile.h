#pragma once

#include <QCursor>
#include <QString>

// Reads a Windows cursor file (.cur) into a pointer with the file's hotspot.
// Throws RuntimeError("Invalid picture") when the file holds no image.
QCursor loadCursorFile(const QString& path);
